package probe;

/** Has a main, but not main(String[]). */
public final class NoMain {
    public static void main() {}
}
