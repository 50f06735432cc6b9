package probe;

import java.lang.management.ManagementFactory;

/** Records the options the VM was created with. */
public final class VmArguments {
    public static void main(String[] args) {
        Out.write(ManagementFactory.getRuntimeMXBean().getInputArguments());
    }
}
