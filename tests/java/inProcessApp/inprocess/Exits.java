package inprocess;

import java.util.concurrent.CyclicBarrier;

/** Ends in the way its first parameter names; the second and third are exit codes. */
public final class Exits {
  public static void main(String[] args) throws Exception {
    switch (args[0]) {
      case "return":
        System.out.println("returning");
        return;
      case "main":
        System.exit(Integer.parseInt(args[1]));
        break;
      case "thread":
        exitFrom(Integer.parseInt(args[1])).join();
        break;
      case "afterMain":
        afterMain(Integer.parseInt(args[1]));
        System.out.println("main returns");
        return;
      case "race":
        race(Integer.parseInt(args[1]), Integer.parseInt(args[2]));
        break;
      case "throw":
        throw new IllegalStateException("deliberate failure in main");
      default:
        throw new IllegalArgumentException(args[0]);
    }
    System.out.println("still running after System.exit");
  }

  private static Thread exitFrom(int code) {
    Thread thread = new Thread(() -> System.exit(code), "exiter");
    thread.start();
    return thread;
  }

  // A non-daemon thread that exits only once main has left Java code, that is while the
  // launcher is waiting for the VM's other threads to end.
  private static void afterMain(int code) {
    Thread mainThread = Thread.currentThread();
    Thread thread =
        new Thread(
            () -> {
              while (inMain(mainThread)) {
                try {
                  Thread.sleep(5);
                } catch (InterruptedException e) {
                  return;
                }
              }
              System.exit(code);
            },
            "late exiter");
    thread.start();
  }

  private static boolean inMain(Thread thread) {
    for (StackTraceElement frame : thread.getStackTrace()) {
      if (frame.getClassName().equals(Exits.class.getName())) return true;
    }
    return false;
  }

  private static void race(int first, int second) throws Exception {
    CyclicBarrier start = new CyclicBarrier(2);
    Thread a = new Thread(() -> exitTogether(start, first));
    Thread b = new Thread(() -> exitTogether(start, second));
    a.start();
    b.start();
    a.join();
    b.join();
  }

  private static void exitTogether(CyclicBarrier start, int code) {
    try {
      start.await();
    } catch (Exception e) {
      throw new RuntimeException(e);
    }
    System.exit(code);
  }
}
