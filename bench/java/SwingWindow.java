package bench;

import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JPanel;
import javax.swing.SwingUtilities;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;

/**
 * Opens a small window with a few components and ends the VM once the window is on the screen
 * (through System.exit: the toolkit would otherwise idle for a second before it lets go).
 */
public class SwingWindow {
    public static void main(String[] args) {
        SwingUtilities.invokeLater(() -> {
            JFrame frame = new JFrame("bench");
            JPanel panel = new JPanel();
            panel.add(new JLabel("Class data"));
            panel.add(new JButton("OK"));
            frame.add(panel);
            frame.pack();
            frame.addWindowListener(new WindowAdapter() {
                @Override
                public void windowOpened(WindowEvent event) {
                    frame.dispose();
                    System.exit(0);
                }
            });
            frame.setDefaultCloseOperation(JFrame.DISPOSE_ON_CLOSE);
            frame.setVisible(true);
        });
    }
}
