package packapp;

// Packed into an executable by launcher-pack: reports that it ran, with the
// system property that a "vmparam" directive sets and its arguments.
public class PackApp {
  public static void main(String[] args) {
    StringBuilder line = new StringBuilder("PackApp ran");
    line.append(" greeting=").append(System.getProperty("pack.greeting"));
    for (String arg : args) line.append(' ').append(arg);
    System.out.println(line);
  }
}
