package e2e.echo;

import java.io.IOException;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.Map;
import java.util.TreeMap;

/**
 * Reports what a launch handed to Java, one fact per line on standard
 * output, then acts on the instructions among its arguments:
 *
 * <ul>
 *   <li>"show:NAME" also prints the system property NAME;
 *   <li>"exit:N" ends the program with status N (0 by default);
 *   <li>"restart:FILE:N" counts runs in FILE and ends the first run with
 *       status N, later ones with 0;
 *   <li>"sleep:FILE" announces the launcher's pid and the state of the
 *       environment dump in FILE, then waits to be ended by a signal.
 * </ul>
 *
 * Every argument, instruction or not, is printed as "arg=...".
 */
public final class Main {
  private Main() {}

  public static void main(String[] args) throws Exception {
    StringBuilder out = new StringBuilder();
    Map<String, String> props = new TreeMap<>();
    for (String name : System.getProperties().stringPropertyNames()) {
      if (name.startsWith("tavimor.")) props.put(name, System.getProperty(name));
    }
    for (String arg : args) {
      out.append("arg=").append(arg).append('\n');
      if (arg.startsWith("show:")) {
        String name = arg.substring(5);
        props.put(name, String.valueOf(System.getProperty(name)));
      }
    }
    for (Map.Entry<String, String> prop : props.entrySet()) {
      out.append("prop ").append(prop.getKey()).append('=').append(prop.getValue()).append('\n');
    }
    ClassLoader loader = Main.class.getClassLoader();
    out.append("loader=").append(loader == null ? "boot" : loader.getClass().getName()).append('\n');
    URL resource = Main.class.getResource("Main.class");
    out.append("resource=").append(resource).append('\n');
    System.out.print(out);
    System.out.flush();

    int status = 0;
    for (String arg : args) {
      if (arg.startsWith("exit:")) {
        status = Integer.parseInt(arg.substring(5));
      } else if (arg.startsWith("restart:")) {
        status = countRun(arg.substring(8));
      } else if (arg.startsWith("sleep:")) {
        announceAndWait(Paths.get(arg.substring(6)));
      }
    }
    System.exit(status);
  }

  // "FILE:N": returns N on the first run, 0 after it.
  private static int countRun(String counterAndCode) throws IOException {
    int colon = counterAndCode.lastIndexOf(':');
    Path counter = Paths.get(counterAndCode.substring(0, colon));
    int runs = Files.exists(counter) ? Integer.parseInt(readText(counter).trim()) : 0;
    Files.write(counter, String.valueOf(runs + 1).getBytes(StandardCharsets.US_ASCII));
    return runs == 0 ? Integer.parseInt(counterAndCode.substring(colon + 1)) : 0;
  }

  // Written whole and then renamed, so that a watcher never reads half of it.
  private static void announceAndWait(Path ready) throws Exception {
    String dump = System.getProperty("tavimor.exportenv");
    String text = "launcher=" + ProcessHandle.current().parent().map(p -> p.pid()).orElse(-1L)
        + "\ndump=" + (dump != null && Files.exists(Paths.get(dump)) ? "present" : "absent")
        + "\n";
    Path partial = Paths.get(ready + ".partial");
    Files.write(partial, text.getBytes(StandardCharsets.US_ASCII));
    Files.move(partial, ready, StandardCopyOption.ATOMIC_MOVE);
    // Gives up after two minutes, or when the launcher is gone, so that a
    // failed test leaves no Java behind.
    ProcessHandle launcher = ProcessHandle.current().parent().orElse(null);
    for (int i = 0; i < 600 && launcher != null && launcher.isAlive(); i++) {
      Thread.sleep(200);
    }
  }

  private static String readText(Path path) throws IOException {
    return new String(Files.readAllBytes(path), StandardCharsets.US_ASCII);
  }
}
