package probe;

/**
 * A daemon thread writes a tick every 100 ms while main ends with an uncaught exception whose
 * message is not ASCII: the ticks show that Java threads run on while the report is shown.
 */
public final class BusyThrow {
    static final String MESSAGE = "Grüße — Ελληνικά — 日本語";

    public static void main(String[] args) {
        Thread ticker = new Thread(() -> {
            for (int tick = 1;; ++tick) {
                Out.write("tick " + tick);
                try {
                    Thread.sleep(100);
                } catch (InterruptedException e) {
                    return;
                }
            }
        });
        ticker.setDaemon(true);
        ticker.start();
        throw new IllegalStateException(MESSAGE);
    }
}
