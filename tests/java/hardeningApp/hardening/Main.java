package hardening;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;

/**
 * A Java program that ends in the way its arguments ask, so that the tests can check what a launch
 * leaves behind. Arguments, acted on in order:
 *
 * <ul>
 *   <li>"pid:FILE" writes "pid=", "parent=", "dump=" (whether the environment dump named by
 *       tavimor.exportenv exists now: present, absent or none), "entries=" (the number of class
 *       path entries) and "first=" (the first argument of the Java program's command line) lines to
 *       FILE, whole or not at all;
 *   <li>"wait" closes standard output and error, so that a test reading them is not held up by
 *       this process, and then waits to be ended by a signal, for two minutes at most;
 *   <li>"restart:FILE:N" counts runs in FILE and ends the first run with status N;
 *   <li>"exit:N" ends the program with status N;
 *   <li>"throw" throws from main.
 * </ul>
 *
 * Without any of the last four, main returns.
 */
public final class Main {
  private Main() {}

  public static void main(String[] args) throws Exception {
    for (String arg : args) {
      if (arg.startsWith("pid:")) {
        announce(Paths.get(arg.substring(4)));
      } else if (arg.equals("wait")) {
        System.out.close();
        System.err.close();
        Thread.sleep(120_000);
      } else if (arg.startsWith("restart:")) {
        int colon = arg.lastIndexOf(':');
        if (countRun(Paths.get(arg.substring(8, colon))) == 1) {
          System.exit(Integer.parseInt(arg.substring(colon + 1)));
        }
      } else if (arg.startsWith("exit:")) {
        System.exit(Integer.parseInt(arg.substring(5)));
      } else if (arg.equals("throw")) {
        throw new IllegalStateException("thrown by the hardening fixture");
      }
    }
    System.out.println("returning");
  }

  private static void announce(Path file) throws IOException {
    String dump = System.getProperty("tavimor.exportenv");
    String dumpState =
        dump == null ? "none" : Files.exists(Paths.get(dump)) ? "present" : "absent";
    String classPath = System.getProperty("java.class.path", "");
    int entries = classPath.isEmpty() ? 0 : classPath.split(":", -1).length;
    String[] commandLine = ProcessHandle.current().info().arguments().orElse(new String[0]);
    String text =
        "pid=" + ProcessHandle.current().pid()
            + "\nparent=" + ProcessHandle.current().parent().map(p -> p.pid()).orElse(-1L)
            + "\ndump=" + dumpState
            + "\nentries=" + entries
            + "\nfirst=" + (commandLine.length > 0 ? commandLine[0] : "")
            + "\n";
    Path partial = Paths.get(file + ".partial");
    Files.write(partial, text.getBytes(StandardCharsets.US_ASCII));
    Files.move(partial, file, StandardCopyOption.ATOMIC_MOVE);
  }

  // Returns the number of this run, counting the runs recorded in `counter`.
  private static int countRun(Path counter) throws IOException {
    int runs = 1;
    if (Files.exists(counter)) {
      runs += Integer.parseInt(new String(Files.readAllBytes(counter), StandardCharsets.US_ASCII));
    }
    Files.write(counter, Integer.toString(runs).getBytes(StandardCharsets.US_ASCII));
    return runs;
  }
}
