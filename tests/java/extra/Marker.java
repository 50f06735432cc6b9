package extra;

/** A class that only a second jar holds. */
public final class Marker {}
