package demo;

import java.lang.management.ManagementFactory;

/** The demo application: tells what the launcher set up for it. */
public final class Hello {
    private Hello() {}

    private static void show(String label, Object value) {
        System.out.printf("  %-14s %s%n", label, value);
    }

    public static void main(String[] args) {
        System.out.println("Hello from Java: this program was started by the native launcher.");
        show("runtime", System.getProperty("java.vm.name") + " " + System.getProperty("java.version")
                + " (" + System.getProperty("java.vendor") + ")");
        show("java.home", System.getProperty("java.home"));
        show("JL_JVM_PATH", System.getenv("JL_JVM_PATH"));
        show("class path", System.getProperty("java.class.path"));
        show("VM options", ManagementFactory.getRuntimeMXBean().getInputArguments());
        show("maximum heap", Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MB");
        show("greeting", System.getProperty("demo.greeting"));
        show("main thread", Thread.currentThread().getName());
        show("arguments", args.length + " (command line first, then \"Cmd\" of demo.ini)");
        for (int i = 0; i < args.length; ++i) {
            show("  [" + i + "]", args[i]);
        }
    }
}
