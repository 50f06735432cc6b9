package probe;

/** main returns at once; only a daemon thread remains, which calls System.exit later. */
public final class ExitLater {
    public static void main(String[] args) {
        int code = Integer.parseInt(args[0]);
        Thread exiter = new Thread(() -> {
            try {
                Thread.sleep(1500);
            } catch (InterruptedException e) {
                return;
            }
            Out.write("exiting");
            System.exit(code);
        });
        exiter.setDaemon(true);
        exiter.start();
        Out.write("main returned");
    }
}
