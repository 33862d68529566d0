// The application whose launches are measured: as small as a Java program
// gets, so that only the start shows.
public class Main {
  public static void main(String[] args) {
    System.out.println("Hello from a tiny Java program");
  }
}
