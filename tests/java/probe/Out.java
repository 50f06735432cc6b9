package probe;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.util.List;

/** Appends UTF-8 lines to the file named by the system property probe.out. */
final class Out {
    private Out() {}

    static synchronized void write(List<String> lines) {
        try {
            Files.write(Paths.get(System.getProperty("probe.out")), lines, StandardCharsets.UTF_8,
                    StandardOpenOption.CREATE, StandardOpenOption.APPEND);
        } catch (IOException e) {
            throw new RuntimeException(e);
        }
    }

    static void write(String... lines) {
        write(List.of(lines));
    }
}
