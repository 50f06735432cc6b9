package probe;

/** Writes one line to System.out and one to System.err. */
public final class Streams {
    public static void main(String[] args) {
        System.out.println("to standard output");
        System.err.println("to standard error");
    }
}
