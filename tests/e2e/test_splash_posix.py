"""The splash of the POSIX launcher on the real VM under a private Xvfb display: the launcher's
own window (a window process) with the picture's size and pixels, when it closes, what
suppresses it, and the runtime's own splash library that the Java program then sees."""

import os
import shutil
import struct
import threading
import time
import unittest
import zlib

import splash_pictures as pictures
from harness import RunningPosix
from java_app import ProbeApp, java_file, jdk_home, vm_sanitizer_env
from xvfb_display import XvfbDisplay

TITLE = "SplashScreenWindow"
SCREEN = (1280, 1024)


def without_splash_library(jdk, folder):
    """A runtime folder that mirrors jdk through links, without lib/libsplashscreen.so."""
    os.makedirs(folder)
    for name in os.listdir(jdk):
        if name != "lib":
            os.symlink(os.path.join(jdk, name), os.path.join(folder, name))
    os.mkdir(os.path.join(folder, "lib"))
    for name in os.listdir(os.path.join(jdk, "lib")):
        if name != "libsplashscreen.so":
            os.symlink(os.path.join(jdk, "lib", name), os.path.join(folder, "lib", name))
    return folder


def count_processes(executable):
    """How many processes run the executable (the launcher, and its window process while one
    runs)."""
    count = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            count += os.readlink("/proc/%s/exe" % pid) == executable
        except OSError:
            pass
    return count


class SplashOnLinux(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = XvfbDisplay(*SCREEN)
        cls.folder = os.path.join(os.environ["LAUNCHER_BUILD_DIR"], "splash-pictures-posix")
        os.makedirs(cls.folder, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.display.stop()

    def splash_windows(self):
        return self.display.xdotool("search", "--onlyvisible", "--name", "^%s$" % TITLE).split()

    def picture(self, name, width, height, alpha_corners=False):
        return pictures.make_picture(self.folder, name, width, height, alpha_corners)

    def probe(self, picture, prefer_native=None, runtime=None, application_section="",
              shadow=None, main_class="probe.Splash"):
        display = "[Display]\nSplash Screen=%s\n" % picture
        if shadow is not None:
            display += "Splash Screen Shadow=%s\n" % shadow
        if prefer_native is not None:
            display += "Preffer Native Splash Screen=%s\n" % prefer_native
        app = ProbeApp(main_class, runtime=runtime,
                       application_section=application_section + display)
        self.addCleanup(app.remove)
        return app

    def start(self, app, end="return", extra=()):
        """Runs the probe in the background until the test creates its release file."""
        app.release = app.file("release")
        app.outcome = {}
        args = [app.release, end] + list(extra)
        runner = threading.Thread(target=lambda: app.outcome.update(
            result=app.run(args, env={"DISPLAY": self.display.name})))
        runner.start()
        deadline = time.monotonic() + 60
        while not app.lines() and runner.is_alive() and time.monotonic() < deadline:
            time.sleep(0.1)
        app.runner = runner
        return runner

    def finish(self, app, release=None):
        open(release or app.release, "w").close()
        app.runner.join(120)
        return app.outcome["result"]

    def wait_for_window(self, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            windows = self.splash_windows()
            if windows:
                time.sleep(0.5)  # the first paint
                return windows[0]
            time.sleep(0.1)
        return None

    def test_each_format_shows_centred_with_its_pixels_while_main_runs(self):
        for name, width, height, alpha, tolerance in (
                ("splash.png", 300, 200, True, 0), ("splash.jpg", 320, 240, False, 24),
                ("splash.bmp", 400, 300, False, 0), ("splash.gif", 200, 100, False, 0),
                ("splash.ico", 120, 80, False, 0)):
            with self.subTest(picture=name):
                path, pixel = self.picture(name, width, height, alpha_corners=alpha)
                app = self.probe(path)
                backdrop = pictures.start_backdrop(self.display.name, SCREEN)
                self.start(app)
                try:
                    window = self.wait_for_window()
                    self.assertIsNotNone(window, "no splash window")
                    left, top = (SCREEN[0] - width) // 2, (SCREEN[1] - height) // 2
                    self.assertEqual(self.display.geometry(window), (left, top, width, height))
                    screen = pictures.Screen(self.display.name,
                                             keep=os.path.join(self.folder, name + ".shot.png"))
                    self.assertEqual(pictures.mismatches(screen, left, top, width, height, pixel,
                                                         tolerance), [])
                    self.assertIn("_NET_WM_WINDOW_TYPE_SPLASH",
                                  self.display.properties(window, "_NET_WM_WINDOW_TYPE"))
                    self.assertIn("_NET_WM_STATE_SKIP_TASKBAR",
                                  self.display.properties(window, "_NET_WM_STATE"))
                finally:
                    result = self.finish(app)
                    backdrop.kill()
                    backdrop.wait()
                self.assertEqual(result.exit_code, 0, result.stderr)
                self.assertEqual(app.lines(), ["native splash=false"])
                self.assertEqual(self.splash_windows(), [])

    def check_blending(self, shadow, left, top, width, height, pixel):
        """The screen where the picture is blended with the backdrop, with or without its shadow
        (which also shows through the picture's half-transparent band)."""
        screen = pictures.Screen(self.display.name, keep=os.path.join(
            self.folder, "blend-%s.shot.png" % shadow))
        self.assertEqual(pictures.mismatches(screen, left, top, width, height, pixel), [])
        self.assertEqual(screen.pixel(left - 10, top - 10), pictures.BACKDROP)
        below = screen.pixel(left + width // 2, top + height + 3)
        if shadow:
            # Darker than the backdrop, yet not black: a soft shadow.
            self.assertTrue(0 < below[2] < pictures.BACKDROP[2], below)
            self.assertLess(sum(below), sum(pictures.BACKDROP) - 30)
            return
        self.assertEqual(below, pictures.BACKDROP)
        # Half transparent over the backdrop: the band across the middle, lower left quarter.
        band = tuple(round((c * 128 + b * 127) / 255)
                     for c, b in zip(pixel(width // 4, height // 2)[:3], pictures.BACKDROP))
        blended = screen.pixel(left + width // 4, top + height // 2)
        self.assertTrue(all(abs(a - b) <= 3 for a, b in zip(blended, band)), (blended, band))

    def test_a_compositing_display_blends_the_picture_over_its_shadow(self):
        width, height, margin = 300, 200, 12
        path, pixel = self.picture("blend.png", width, height, alpha_corners=True)
        left, top = (SCREEN[0] - width) // 2, (SCREEN[1] - height) // 2
        manager = self.display.start_compositing_manager()
        backdrop = pictures.start_backdrop(self.display.name, SCREEN)
        try:
            for shadow, margin_used in (("true", margin), ("True", 0)):
                with self.subTest(shadow=shadow):
                    app = self.probe(path, shadow=shadow)
                    self.start(app)
                    try:
                        window = self.wait_for_window()
                        self.assertIsNotNone(window, "no splash window")
                        self.assertEqual(self.display.geometry(window),
                                         (left - margin_used, top - margin_used,
                                          width + 2 * margin_used, height + 2 * margin_used))
                        self.assertIn("Depth: 32", self.display.run(
                            "xwininfo", "-id", window, text=True).stdout)
                        self.check_blending(shadow == "true", left, top, width, height, pixel)
                    finally:
                        result = self.finish(app)
                    self.assertEqual(result.exit_code, 0)
        finally:
            for process in (backdrop, manager):
                process.kill()
                process.wait()

    def test_closed_when_main_ends_even_while_other_threads_run_and_on_system_exit(self):
        path, _ = self.picture("small.png", 40, 30)
        for end in ("return", "throw"):
            with self.subTest(end=end):
                app = self.probe(path, application_section="Failure Check=Yes\n")
                self.start(app, end, [app.file("later")])
                self.assertIsNotNone(self.wait_for_window())
                open(app.release, "w").close()
                if end == "throw":
                    # By the time the report shows, the splash is gone; Escape stops.
                    dialog = self.display.find_window("Java Exception")
                    self.assertEqual(self.splash_windows(), [])
                    self.display.key(dialog, "Escape")
                    self.assertEqual(self.finish(app, app.file("later")).exit_code, 255)
                    continue
                # main is over; a non-daemon thread still keeps the VM and the process.
                deadline = time.monotonic() + 30
                while self.splash_windows() and time.monotonic() < deadline:
                    time.sleep(0.1)
                self.assertTrue(app.runner.is_alive())
                self.assertEqual(self.splash_windows(), [])
                self.assertEqual(self.finish(app, app.file("later")).exit_code, 0)

        app = self.probe(path)
        self.start(app, "exit")
        self.assertIsNotNone(self.wait_for_window())
        self.assertEqual(self.finish(app).exit_code, 3)
        deadline = time.monotonic() + 10
        while self.splash_windows() and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(self.splash_windows(), [])

    def test_nothing_shows_for_nosplash_or_a_picture_that_cannot_be_read(self):
        path, _ = self.picture("small.png", 40, 30)
        empty = os.path.join(self.folder, "empty.png")
        broken = os.path.join(self.folder, "broken.png")
        open(empty, "wb").close()
        with open(broken, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + b"\0" * 64)
        # A small file whose header claims 100000 by 100000 pixels (40 GB decoded).
        huge = os.path.join(self.folder, "huge.png")
        pictures.write_png(huge, 1, 1, lambda x, y: (0, 0, 0, 255))
        with open(huge, "r+b") as f:
            header = bytearray(f.read())
            header[16:24] = struct.pack(">II", 100000, 100000)
            header[29:33] = struct.pack(">I", zlib.crc32(bytes(header[12:29])) & 0xFFFFFFFF)
            f.seek(0)
            f.write(header)
        cases = [(path, ["-nosplash"]), (path, ["/nosplash"]),
                 (os.path.join(self.folder, "missing.png"), []), (empty, []), (broken, []),
                 (huge, [])]
        for picture, extra in cases:
            with self.subTest(picture=os.path.basename(picture), extra=extra):
                app = self.probe(picture)
                self.start(app, "return", [app.file("release")] + extra)
                self.assertIsNone(self.wait_for_window(timeout=3))
                result = self.finish(app)
                self.assertEqual(result.exit_code, 0, result.stderr)
                self.assertEqual(app.lines(), ["native splash=false"])
                self.assertEqual(result.stderr, "")

    def set_work_area(self, area):
        """Publishes the work area as a window manager does (None: as without one)."""
        if area is None:
            self.display.run("xprop", "-root", "-remove", "_NET_WORKAREA", check=True)
        else:
            self.display.run("xprop", "-root", "-f", "_NET_WORKAREA", "32c", "-set",
                             "_NET_WORKAREA", ",".join(map(str, area)), check=True)

    def test_a_picture_larger_than_the_work_area_shows_nothing(self):
        colour = (200, 80, 40)
        writers = {"png": pictures.write_plain_png, "gif": pictures.write_plain_gif}
        panel = (0, 24, 1280, 1000)  # a panel along the top
        cases = [("png", 8000, 8000, None, False), ("gif", 8000, 8000, None, False),
                 ("png", 1281, 100, None, False), ("png", 100, 1025, None, False),
                 ("png", 1280, 1024, None, True), ("png", 1280, 1024, panel, False),
                 ("gif", 1280, 1000, panel, True)]
        self.addCleanup(self.set_work_area, None)
        for kind, width, height, area, shown in cases:
            with self.subTest(picture="%dx%d.%s" % (width, height, kind), work_area=area):
                path = os.path.join(self.folder, "plain-%dx%d.%s" % (width, height, kind))
                writers[kind](path, width, height, colour)
                self.set_work_area(area)
                app = self.probe(path)
                self.start(app)
                try:
                    if shown:
                        window = self.wait_for_window()
                        self.assertIsNotNone(window, "no splash window")
                        left, top = (SCREEN[0] - width) // 2, (SCREEN[1] - height) // 2
                        self.assertEqual(self.display.geometry(window), (left, top, width, height))
                    else:
                        # Nothing to show: the window process ends by itself, while main waits.
                        deadline = time.monotonic() + 30
                        while (count_processes(app.app.path) > 1 and
                               time.monotonic() < deadline):
                            time.sleep(0.1)
                        self.assertEqual(count_processes(app.app.path), 1)
                        self.assertEqual(self.splash_windows(), [])
                finally:
                    result = self.finish(app)
                self.assertEqual(result.exit_code, 0, result.stderr)
                self.assertEqual(result.stderr, "")

    def test_the_runtime_splash_library_shows_the_picture_when_preferred_and_present(self):
        path, pixel = self.picture("native.png", 300, 200)
        app = self.probe(path, prefer_native="YES")
        self.start(app)
        self.assertEqual(app.lines(), ["native splash=true"])
        self.assertEqual(self.splash_windows(), [])
        left, top = (SCREEN[0] - 300) // 2, (SCREEN[1] - 200) // 2
        screen = pictures.Screen(self.display.name,
                                 keep=os.path.join(self.folder, "native.shot.png"))
        self.assertEqual(pictures.mismatches(screen, left, top, 300, 200, pixel), [])
        self.assertEqual(self.finish(app).exit_code, 0)

        # Without the library in the runtime, the own window shows instead.
        runtime = without_splash_library(jdk_home(), app.file("runtime"))
        app = self.probe(path, prefer_native="yes", runtime=runtime)
        self.start(app)
        self.assertIsNotNone(self.wait_for_window())
        result = self.finish(app)
        self.assertEqual(result.exit_code, 0, result.stderr)
        self.assertEqual(app.lines(), ["native splash=false"])

    def test_the_runtime_splash_closes_when_the_programs_first_window_shows(self):
        width, height = 300, 200
        path, pixel = self.picture("closing.png", width, height)
        left, top = (SCREEN[0] - width) // 2, (SCREEN[1] - height) // 2
        app = self.probe(path, prefer_native="yes", main_class="probe.SplashWindow")
        show, release = app.file("show"), app.file("release")
        java = [os.path.join(jdk_home(), "bin", "java"), "-splash:" + path,
                "-Dprobe.out=" + app.out, "-cp", java_file("probe.jar"), "probe.SplashWindow"]
        # The java command first, as the behaviour to match.
        for how, argv in (("java -splash:", java), ("launcher", [app.app.path])):
            with self.subTest(how=how):
                for name in (app.out, show, release):
                    if os.path.exists(name):
                        os.remove(name)
                running = RunningPosix(argv + [show, release], env=vm_sanitizer_env(),
                                       display=self.display.name)
                try:
                    deadline = time.monotonic() + 60
                    while not app.lines() and running.running() and time.monotonic() < deadline:
                        time.sleep(0.1)
                    self.assertEqual(app.lines(), ["splash before window=true"])
                    screen = pictures.Screen(self.display.name)
                    self.assertEqual(pictures.mismatches(screen, left, top, width, height, pixel),
                                     [], "the splash is not on the screen")
                    open(show, "w").close()
                    self.display.find_window("Probe Window")
                    # From the moment the program's window is seen mapped, the picture has a
                    # second to go.
                    gone_by = time.monotonic() + 1.0
                    shot = os.path.join(self.folder, "closing-%s.shot.png" % how.split()[0])
                    while True:
                        screen = pictures.Screen(self.display.name)
                        if pictures.mismatches(screen, left, top, width, height, pixel):
                            break
                        if time.monotonic() > gone_by:
                            self.display.screenshot(shot)
                            self.fail("the splash stayed")
                        time.sleep(0.05)
                    self.display.screenshot(shot)
                finally:
                    open(release, "w").close()
                    result = running.finish(120)
                self.assertEqual(result.exit_code, 0, result.stderr)


if __name__ == "__main__":
    unittest.main()
