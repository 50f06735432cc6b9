package probe;

import java.io.PrintStream;

/**
 * main ends with an uncaught exception whose message is not ASCII. With an argument n, the
 * exception's printStackTrace writes n numbered lines instead of a stack trace (0: nothing).
 */
public final class Trace {
    static final String MESSAGE = "Grüße — Ελληνικά — 日本語 — 𝄞";

    static final class Written extends RuntimeException {
        private final int lines;

        Written(int lines) {
            super(MESSAGE);
            this.lines = lines;
        }

        @Override
        public void printStackTrace(PrintStream out) {
            for (int i = 1; i <= lines; ++i)
                out.println("line " + i + " " + MESSAGE);
        }
    }

    private static void fail(int depth) {
        if (depth > 0)
            fail(depth - 1);
        else
            throw new IllegalStateException(MESSAGE);
    }

    public static void main(String[] args) {
        if (args.length > 0)
            throw new Written(Integer.parseInt(args[0]));
        fail(3);
    }
}
