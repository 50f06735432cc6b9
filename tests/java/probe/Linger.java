package probe;

/** main returns at once; a non-daemon thread keeps working afterwards. */
public final class Linger {
    public static void main(String[] args) throws InterruptedException {
        Thread worker = new Thread(() -> {
            try {
                Thread.sleep(1500);
            } catch (InterruptedException e) {
                return;
            }
            Out.write("worker finished");
        });
        worker.start();
        Out.write("main returned");
    }
}
