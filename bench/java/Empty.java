package bench;

/** A program whose main returns at once: the cost of a start is all that is left. */
public class Empty {
    public static void main(String[] args) {}
}
