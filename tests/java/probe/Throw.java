package probe;

/** main ends with an uncaught exception. */
public final class Throw {
    public static void main(String[] args) {
        throw new IllegalStateException("probe failure");
    }
}
