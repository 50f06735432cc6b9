package bench;

/** Sleeps for the milliseconds of its first argument: keeps a splash up to be seen. */
public class Sleep {
    public static void main(String[] args) throws InterruptedException {
        Thread.sleep(Long.parseLong(args[0]));
    }
}
