package probe;

import java.util.Arrays;

/** Records main's arguments, one per line. */
public final class Args {
    public static void main(String[] args) {
        Out.write(Arrays.asList(args));
    }
}
