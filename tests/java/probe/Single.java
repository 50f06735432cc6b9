package probe;

import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.Arrays;

/**
 * A single-instance program: main stays up until the file named by probe.stop exists, then
 * ends with the code of probe.exit (through System.exit when not 0). Each later start's
 * arguments arrive in secondaryMain, recorded as one line "secondary [a][b]...". The int answer
 * is N for a first argument "answer=N", else the argument count; a first argument "block" holds
 * the call until main may end, "hold" for good. probe.delay slows the class's start-up by that many ms.
 */
public final class Single {
    static volatile boolean mainBegan;

    static {
        try {
            Thread.sleep(Long.getLong("probe.delay", 0));
        } catch (InterruptedException e) {
            throw new ExceptionInInitializerError(e);
        }
    }

    private Single() {}

    public static void main(String[] args) throws InterruptedException {
        mainBegan = true;
        Out.write("main " + String.join(" ", args));
        awaitStop();
        int code = Integer.getInteger("probe.exit", 0);
        if (code != 0) {
            System.exit(code);
        }
    }

    public static int secondaryMain(String[] args) throws InterruptedException {
        record(args);
        if (args.length > 0 && args[0].startsWith("answer=")) {
            return Integer.parseInt(args[0].substring("answer=".length()));
        }
        if (args.length > 0 && args[0].equals("block")) {
            awaitStop();
        }
        if (args.length > 0 && args[0].equals("hold")) {
            Thread.sleep(Long.MAX_VALUE);
        }
        return args.length;
    }

    static void awaitStop() throws InterruptedException {
        while (!Files.exists(Paths.get(System.getProperty("probe.stop")))) {
            Thread.sleep(10);
        }
    }

    static void record(String[] args) {
        StringBuilder line = new StringBuilder(mainBegan ? "secondary " : "early ");
        Arrays.stream(args).forEach(a -> line.append('[').append(a).append(']'));
        Out.write(line.toString());
    }
}
