package example;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.net.InetAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.nio.charset.StandardCharsets;

/**
 * A small application that shows what the launcher handed to it. With
 * "--listen N" it waits on its socket port for N files forwarded by later
 * launches ("+SHELL") and prints each one.
 */
public class Greeter {
  public static void main(String[] args) throws IOException {
    if (args.length == 2 && args[0].equals("--listen")) {
      listen(Integer.parseInt(args[1]));
      return;
    }
    System.out.println("Hello from a single-file Java application!");
    System.out.println("  arguments:       " + String.join(" ", args));
    System.out.println("  executable:      " + System.getProperty("tavimor.executable.path"));
    System.out.println("  Java version:    " + System.getProperty("java.version"));
    System.out.println("  maximum heap:    " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MiB");
    System.out.println("  socket port:     " + System.getProperty("tavimor.socket"));
  }

  private static void listen(int count) throws IOException {
    int port = Integer.parseInt(System.getProperty("tavimor.socket"));
    try (ServerSocket server = new ServerSocket(port, 50, InetAddress.getLoopbackAddress())) {
      System.out.println("Listening on port " + port + " for " + count + " forwarded files.");
      for (int i = 0; i < count; i++) {
        try (Socket client = server.accept();
            BufferedReader in = new BufferedReader(
                new InputStreamReader(client.getInputStream(), StandardCharsets.UTF_8))) {
          StringBuilder message = new StringBuilder();
          for (int c; (c = in.read()) != -1; ) message.append((char) c);
          String text = message.toString();
          String file = text.startsWith("open ") ? text.substring(5) : text;
          System.out.println("  the running instance received: " + file);
        }
      }
    }
  }
}
