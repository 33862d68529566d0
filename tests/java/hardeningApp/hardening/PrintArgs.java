package hardening;

/**
 * Prints each argument on a line of its own between brackets, every character outside printable
 * ASCII and the backslash as \\uXXXX, so that the output shows exactly what Java received.
 */
public final class PrintArgs {
  private PrintArgs() {}

  public static void main(String[] args) {
    StringBuilder out = new StringBuilder();
    out.append("count ").append(args.length).append('\n');
    for (String arg : args) {
      out.append('[');
      for (char c : arg.toCharArray()) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
          out.append(c);
        } else {
          out.append(String.format("\\u%04x", (int) c));
        }
      }
      out.append("]\n");
    }
    System.out.print(out);
  }
}
