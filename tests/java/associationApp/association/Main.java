package association;

import com.tavimor.lumenwork.util.FileAssociation;

/** Calls both natives, with null and non-ASCII arguments and from a second thread. */
public final class Main {
  public static void main(String[] args) throws Exception {
    System.out.println("check " + FileAssociation.checkAssociation0("a", "b", "c", "d"));
    System.out.println(
        "check " + FileAssociation.checkAssociation0(".txt", null, "\u00fc\ud83d\ude00", null));
    FileAssociation.addAssociation0(".txt", "text/plain", "Text", "/Apps/App");
    System.out.println("added");
    FileAssociation.addAssociation0(null, null, null, null);
    System.out.println("added");
    Thread other =
        new Thread(
            () ->
                System.out.println(
                    "other thread check "
                        + FileAssociation.checkAssociation0("e", "f", "g", "h")));
    other.start();
    other.join();
  }
}
