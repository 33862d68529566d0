package inprocess;

import java.util.TreeMap;

/**
 * Reports how it was started: the process it runs in, its parameters (non-ASCII characters
 * as \\uXXXX, so the output does not depend on the console's encoding), the system properties
 * named "fixture.*" and whether it was loaded from the boot class path.
 */
public final class Report {
  public static void main(String[] args) {
    ProcessHandle self = ProcessHandle.current();
    System.out.println("pid " + self.pid());
    System.out.println(
        "parent " + self.parent().map(p -> Long.toString(p.pid())).orElse("none"));
    System.out.println("command " + self.info().command().orElse("unknown"));
    System.out.println("loader " + (Report.class.getClassLoader() == null ? "boot" : "other"));
    System.out.println("args " + args.length);
    for (String arg : args) System.out.println("arg " + escape(arg));
    TreeMap<String, String> properties = new TreeMap<>();
    for (String name : System.getProperties().stringPropertyNames()) {
      if (name.startsWith("fixture.")) properties.put(name, System.getProperty(name));
    }
    properties.forEach((name, value) -> System.out.println("property " + name + "=" + value));
  }

  private static String escape(String text) {
    StringBuilder escaped = new StringBuilder();
    for (char c : text.toCharArray()) {
      if (c >= 0x20 && c < 0x7f) escaped.append(c);
      else escaped.append(String.format("\\u%04x", (int) c));
    }
    return escaped.toString();
  }
}
