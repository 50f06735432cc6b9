package probe;

import java.awt.SplashScreen;
import java.io.File;

/**
 * Writes whether the runtime's splash screen is showing, waits until the file named by the
 * first argument exists (at most two minutes), then returns, exits with 3 or throws, as the
 * second argument says. A third argument names a file that a non-daemon thread waits for, so
 * that the process outlives main.
 */
public final class Splash {
    public static void main(String[] args) {
        Out.write("native splash=" + (SplashScreen.getSplashScreen() != null));
        waitFor(args[0]);
        if (args.length > 2) {
            new Thread(() -> waitFor(args[2])).start();
        }
        String end = args.length > 1 ? args[1] : "return";
        if (end.equals("exit")) {
            System.exit(3);
        }
        if (end.equals("throw")) {
            throw new IllegalStateException("splash probe failure");
        }
    }

    private static void waitFor(String path) {
        File release = new File(path);
        try {
            for (int i = 0; i < 2400 && !release.exists(); i++) {
                Thread.sleep(50);
            }
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
