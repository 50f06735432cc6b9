package probe;

/** Single with the void form of secondaryMain, which is answered 0 before it runs. */
public final class SingleVoid {
    private SingleVoid() {}

    public static void main(String[] args) throws InterruptedException {
        Single.main(args);
    }

    public static void secondaryMain(String[] args) throws InterruptedException {
        Single.record(args);
        if (args.length > 0 && args[0].equals("block")) {
            Single.awaitStop();
        }
    }
}
