"""The splash on Linux under Xvfb, two ways:

  appear  time from starting the process until the picture's pixels are on the screen:
          launcher  our launcher's own splash window (a window process with GTK)
          native    our launcher with "Preffer Native Splash Screen=yes" (the runtime's
                    libsplashscreen.so, loaded by the launcher)
          java      the java command with -splash: and the same picture
  start   the whole start of a program whose main returns at once, with the launcher's own
          splash, with the runtime's, and without a splash (the base), alternating round after
          round (wall, CPU and peak memory from wait4(), see measure.py), and with the own
          splash of an 8000 by 8000 PNG, larger than the screen, which shows nothing; then the
          same for a Swing program that ends once its window is on the screen (a start of about
          0.5 s)

The screen is read through Xlib (XGetImage of the centre pixel) in a tight loop; the picture is
one opaque colour, the screen black before each start."""

import argparse
import ctypes
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from measure import Command, load_text, print_table, run, run_alternating

HERE = os.path.dirname(os.path.abspath(__file__))
COLOUR = (200, 80, 40)
SIZE = (480, 240)


def write_png(path, width, height, compressed_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", compressed_rows) + chunk(b"IEND", b""))


def write_picture(path):
    width, height = SIZE
    row = b"\0" + bytes(COLOUR) * width
    write_png(path, width, height, zlib.compress(row * height))


class Screen:
    """The centre pixel of an X display's root window, read with XGetImage."""

    def __init__(self, name):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(ctypes.c_void_p)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + name)
        self.root = self.x11.XDefaultRootWindow(self.display)

    def centre(self, width, height):
        image = self.x11.XGetImage(self.display, self.root, width // 2, height // 2, 1, 1,
                                   0xFFFFFFFF, 2)  # ZPixmap
        # XImage: four ints, then the data pointer; 24-bit depth stores B, G, R, pad.
        data = ctypes.cast(image, ctypes.POINTER(ctypes.c_void_p))[2]
        blue, green, red = ctypes.string_at(data, 3)
        self.x11.XFree(data)
        self.x11.XFree(image)
        return (red, green, blue)


def start_xvfb(width, height):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "%dx%dx24" % (width, height), "-nolisten", "tcp"],
                              pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        return server, ":" + reader.readline().strip()


def time_to_picture(command, screen, screen_size, cwd, timeout=20.0):
    """Seconds from the start of the process until the centre shows the picture's colour."""
    env = dict(os.environ)
    env.update(command.env)
    started = time.perf_counter()
    process = subprocess.Popen(command.argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    seen = None
    while time.perf_counter() - started < timeout:
        if screen.centre(*screen_size) == COLOUR:
            seen = time.perf_counter() - started
            break
    os.killpg(process.pid, 9)
    process.wait()
    # The next round starts on an empty screen.
    while screen.centre(*screen_size) == COLOUR:
        time.sleep(0.005)
    if seen is None:
        raise RuntimeError("%s showed no picture" % command.argv)
    return seen


def write_large_picture(path, width=8000, height=8000):
    """One colour in a small file (some 200 KB), written row by row."""
    compressor = zlib.compressobj(1)
    row = b"\0" + bytes(COLOUR) * width
    data = b"".join(compressor.compress(row) for _ in range(height)) + compressor.flush()
    write_png(path, width, height, data)


def launcher_app(folder, launcher, java_home, jar, main_class, splash, picture="splash.png"):
    os.makedirs(folder)
    shutil.copy2(launcher, os.path.join(folder, "app"))
    display = ""
    if splash:
        display = "[Display]\r\nSplash Screen=%s\r\n" % os.path.join(folder, "..", picture)
        if splash == "native":
            display += "Preffer Native Splash Screen=yes\r\n"
    with open(os.path.join(folder, "app.ini"), "w") as f:
        f.write("[Java Runtime Environment]\r\nJRE Path=%s\r\nMain Class=%s\r\n"
                "[Class Path]\r\nClass Path=%s\r\n%s" % (java_home, main_class, jar, display))
    return os.path.join(folder, "app")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--java-home", default="/usr/lib/jvm/java-17-openjdk-amd64")
    parser.add_argument("--rounds", type=int, default=40)
    parser.add_argument("--warmup", type=int, default=3)
    args = parser.parse_args()

    screen_size = (1280, 1024)
    work = tempfile.mkdtemp(prefix="splash-bench-")
    server, display = start_xvfb(*screen_size)
    os.environ["DISPLAY"] = display
    try:
        classes = os.path.join(work, "classes")
        run([os.path.join(args.java_home, "bin", "javac"), "-d", classes,
             os.path.join(HERE, "java", "Empty.java"), os.path.join(HERE, "java", "Sleep.java"),
             os.path.join(HERE, "java", "SwingWindow.java")])
        jar = os.path.join(work, "bench.jar")
        run([os.path.join(args.java_home, "bin", "jar"), "cf", jar, "-C", classes, "."])
        picture = os.path.join(work, "splash.png")
        write_picture(picture)
        write_large_picture(os.path.join(work, "large.png"))

        java = os.path.join(args.java_home, "bin", "java")
        appear = {
            "launcher": Command([launcher_app(os.path.join(work, "own-sleep"), args.launcher,
                                              args.java_home, jar, "bench.Sleep", "own"),
                                 "5000"]),
            "native": Command([launcher_app(os.path.join(work, "native-sleep"), args.launcher,
                                            args.java_home, jar, "bench.Sleep", "native"),
                               "5000"]),
            "java": Command([java, "-splash:" + picture, "-cp", jar, "bench.Sleep", "5000"]),
        }
        screen = Screen(display)
        times = {name: [] for name in appear}
        print(load_text())
        for round_index in range(args.warmup + args.rounds):
            names = list(appear)
            shift = round_index % len(names)
            for name in names[shift:] + names[:shift]:
                seen = time_to_picture(appear[name], screen, screen_size, work)
                if round_index >= args.warmup:
                    times[name].append(seen)
        print("Time until the splash picture is on the screen (%d rounds)" % args.rounds)
        print("%-10s %9s %9s %9s %9s" % ("how", "median ms", "min ms", "max ms", "/java"))
        base = statistics.median(times["java"])
        for name, values in times.items():
            print("%-10s %9.2f %9.2f %9.2f %9.3f" % (
                name, statistics.median(values) * 1000, min(values) * 1000,
                max(values) * 1000, statistics.median(values) / base))
        print()

        for main_class, title in (
                ("bench.Empty", "a program whose main returns at once"),
                ("bench.SwingWindow", "a Swing program that ends once its window shows")):
            start = {
                how: Command([launcher_app(os.path.join(work, main_class + "-" + how),
                                           args.launcher, args.java_home, jar, main_class,
                                           None if how == "none" else how)])
                for how in ("own", "native", "none")}
            if main_class == "bench.Empty":
                # Larger than the screen: the window process reads its header and ends.
                start["large"] = Command([launcher_app(
                    os.path.join(work, main_class + "-large"), args.launcher, args.java_home,
                    jar, main_class, "own", picture="large.png")])
            samples = run_alternating(start, args.rounds, args.warmup, work)
            print_table("Whole start of %s (%d rounds)" % (title, args.rounds), samples, "none")
        print(load_text())
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
