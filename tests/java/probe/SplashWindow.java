package probe;

import java.awt.SplashScreen;
import java.io.File;
import javax.swing.JFrame;
import javax.swing.SwingUtilities;

/**
 * A Swing program behind a splash: writes whether the runtime's splash screen is visible before
 * any window of the program shows; once the file named by the first argument exists, shows a
 * small window titled "Probe Window" in the screen's top left corner (away from a centred
 * splash); ends once the file named by the second argument exists (each wait at most two
 * minutes).
 */
public final class SplashWindow {
    public static void main(String[] args) throws Exception {
        SplashScreen splash = SplashScreen.getSplashScreen();
        Out.write("splash before window=" + (splash != null && splash.isVisible()));
        waitFor(args[0]);
        SwingUtilities.invokeAndWait(() -> {
            JFrame frame = new JFrame("Probe Window");
            frame.setBounds(0, 0, 240, 120);
            frame.setVisible(true);
        });
        waitFor(args[1]);
        System.exit(0);
    }

    private static void waitFor(String path) throws InterruptedException {
        File file = new File(path);
        for (int i = 0; i < 2400 && !file.exists(); i++) {
            Thread.sleep(50);
        }
    }
}
