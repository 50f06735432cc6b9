package probe;

/** Records what the launcher set up for the program: runtime variables and paths. */
public final class Environment {
    public static void main(String[] args) {
        Out.write("JL_JVM_PATH=" + System.getenv("JL_JVM_PATH"),
                "JL_JVM_HOME=" + System.getenv("JL_JVM_HOME"),
                "PATH=" + System.getenv("PATH"),
                "java.home=" + System.getProperty("java.home"),
                "java.library.path=" + System.getProperty("java.library.path"),
                "java.class.path=" + System.getProperty("java.class.path"),
                "user.dir=" + System.getProperty("user.dir"));
    }
}
