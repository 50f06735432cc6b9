package probe;

/** Records the class path and whether a class of another jar can be loaded. */
public final class ClassPath {
    public static void main(String[] args) {
        String marker;
        try {
            marker = Class.forName("extra.Marker").getName() + " found";
        } catch (ClassNotFoundException e) {
            marker = "extra.Marker missing";
        }
        Out.write("java.class.path=" + System.getProperty("java.class.path"), marker);
    }
}
