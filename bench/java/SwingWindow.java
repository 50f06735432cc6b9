package bench;

import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JPanel;
import javax.swing.SwingUtilities;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;

/** Opens a small window with a few components and ends once the window is on the screen. */
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
                }
            });
            frame.setDefaultCloseOperation(JFrame.DISPOSE_ON_CLOSE);
            frame.setVisible(true);
        });
    }
}
