"""The splash under Wine: the launcher's own window (class, styles, place, size and pixels for
every picture format: BMP, JPEG, PNG with transparency, GIF plain, transparent and animated,
ICO, WMF and EMF; the shadow rule, when it closes) and a runtime's splash library, for which
the test splash libraries of tests/tools record their calls in the test VM library's record."""

import os
import re
import shutil
import threading
import time
import unittest

import metafile_pictures as metafiles
import splash_pictures as pictures
from harness import build_dir, to_windows_path, wine_display, windows_build_path, xdotool
from test_exception_dialog_windows import press
from test_vm_windows import FakeVmApp

FAILURE = 4294967295
WS_POPUP, WS_VISIBLE, WS_CLIPSIBLINGS = 0x80000000, 0x10000000, 0x04000000
WS_EX_TOOLWINDOW, WS_EX_LAYERED = 0x80, 0x80000
CS_DBLCLKS, CS_SAVEBITS, CS_DROPSHADOW = 0x8, 0x800, 0x20000
_WINDOW = re.compile(r"^splash-window (-?\d+),(-?\d+) (\d+)x(\d+) (visible|hidden)$")
_STYLES = re.compile(r"^splash-styles 0x(\w+) 0x(\w+) 0x(\w+)$")
SCREEN = (1280, 1024)
SCREEN_DPI = 96  # the logical pixels per inch of a new Wine prefix


def mul_div(a, b, c):
    """a * b / c rounded to nearest, as the system's MulDiv does for non-negative values."""
    return (a * b + c // 2) // c


def screen_pixels(himetric):
    return mul_div(SCREEN_DPI, himetric, 2540)


def splash_window(record):
    """The first splash window the test VM library recorded: rectangle, visibility, styles."""
    for index, line in enumerate(record):
        match = _WINDOW.match(line)
        styles = _STYLES.match(record[index + 1]) if index + 1 < len(record) else None
        if match and styles:
            left, top, width, height = (int(v) for v in match.groups()[:4])
            style, exstyle, classstyle = (int(v, 16) for v in styles.groups())
            return dict(rect=(left, top, width, height), visible=match.group(5) == "visible",
                        style=style, exstyle=exstyle, classstyle=classstyle)
    return None


class SplashApp(FakeVmApp):
    """A launcher with a test VM library and a [Display] section; run_while_shown keeps main
    waiting until the check has looked at the screen."""

    def __init__(self, picture="", shadow=None, prefer_native=None, splash_library=None,
                 main_class="fake.Wait", application_section=""):
        display = "[Display]\nSplash Screen=%s\n" % (to_windows_path(picture) if picture else "")
        if shadow is not None:
            display += "Splash Screen Shadow=%s\n" % shadow
        if prefer_native is not None:
            display += "Preffer Native Splash Screen=%s\n" % prefer_native
        super().__init__(main_class=main_class,
                         application_section=application_section + display)
        self.release = self.app.file("release")
        if splash_library:
            shutil.copy(windows_build_path("tests", "tools", splash_library),
                        self.app.file("jre", "bin", "splashscreen.dll"))

    def run(self, args=(), splash="1", lang=None, memory=False):
        env = {"FAKE_JVM_SPLASH": splash, "FAKE_JVM_RELEASE": to_windows_path(self.release),
               "FAKE_JVM_RECORD": to_windows_path(self.record_path)}
        if memory:
            env["FAKE_JVM_MEMORY"] = "1"
        return self.app.run(args, env=env, lang=lang)

    def peak_working_set(self):
        """The process's peak working set in bytes, as the test VM library read it at the end."""
        peaks = [int(line.split()[1]) for line in self.record()
                 if line.startswith("peak-working-set ")]
        return peaks[-1]

    def run_while_shown(self, check, args=()):
        """Runs until main has seen the splash window, calls check(window), then lets main
        return; the window as main saw it first."""
        outcome = {}
        runner = threading.Thread(target=lambda: outcome.update(result=self.run(args, "wait")))
        runner.start()
        try:
            while runner.is_alive() and not splash_window(self.record()):
                time.sleep(0.1)
            window = splash_window(self.record())
            if window:
                time.sleep(0.5)  # the first paint
                check(window)
        finally:
            open(self.release, "w").close()
            runner.join()
        return outcome["result"], window

    def write_settings_as_utf16(self):
        """Settings text in UTF-16 with its byte-order mark, so that a name outside ASCII reaches
        the launcher intact (a file without the mark is read in the ANSI code page)."""
        with open(self.app.ini_path, encoding="utf-8") as f:
            text = f.read()
        with open(self.app.ini_path, "w", encoding="utf-16", newline="") as f:
            f.write(text)

    def splash_records(self):
        return [line for line in self.record()
                if line.startswith("splash-") or line in ("create", "destroy")
                or line.startswith("create ")]


class SplashWindowUnderWine(unittest.TestCase):
    def splash_app(self, **kwargs):
        app = SplashApp(**kwargs)
        self.addCleanup(app.remove)
        return app

    def picture(self, name, width, height, alpha_corners=False):
        return pictures.make_picture(os.path.join(build_dir(), "splash-pictures"), name, width, height, alpha_corners)

    def assert_splash_window(self, window, size, layered=False, shadow=False):
        width, height = size
        left = int((SCREEN[0] - width) / 2)  # truncates toward zero
        top = int((SCREEN[1] - height) / 2)
        self.assertEqual(window["rect"], (left, top, width, height))
        self.assertTrue(window["visible"])
        self.assertEqual(window["style"] & ~WS_CLIPSIBLINGS, WS_POPUP | WS_VISIBLE)
        self.assertEqual(window["exstyle"], WS_EX_TOOLWINDOW | (WS_EX_LAYERED if layered else 0))
        self.assertEqual(window["classstyle"],
                         CS_DBLCLKS | CS_SAVEBITS | (CS_DROPSHADOW if shadow else 0))

    def format_cases(self):
        """(file name, maker, shown size, layered, colour tolerance); a maker writes the picture
        into a folder and returns its path and the pixel function of the picture as shown."""
        def raster(width, height, alpha=False):
            return lambda folder, name: pictures.make_picture(folder, name, width, height, alpha)

        def animated(folder, name):
            return pictures.make_animated_gif(folder, name, 200, 100)

        def shown_quadrants(write, size):
            def make(folder, name):
                path = os.path.join(folder, name)
                write(path)
                return path, pictures.quadrants(*size)
            return make

        # Metafiles are sized by the loader's HIMETRIC extent: a placeable WMF's bounding box
        # at its own units per inch, an EMF's frame; both then scaled to the screen's pixels.
        wmf_bounds, wmf_inch = (3001, 1999), 1000
        wmf_size = tuple(screen_pixels(mul_div(b, 2540, wmf_inch)) for b in wmf_bounds)
        emf_size = tuple(screen_pixels(f) for f in metafiles.emf_frame(240, 192, 100))
        return (
            ("splash.bmp", raster(400, 300), (400, 300), False, 0),
            ("splash.jpg", raster(320, 240), (320, 240), False, 24),
            ("splash.png", raster(300, 200, alpha=True), (300, 200), True, 0),
            ("splash.gif", raster(200, 100), (200, 100), False, 0),
            # A transparent colour shows what lies below, as a PNG's alpha does.
            ("transparent.gif", raster(200, 100, alpha=True), (200, 100), True, 0),
            ("animated.gif", animated, (200, 100), False, 0),  # its first frame
            ("splash.ico", raster(64, 48, alpha=True), (64, 48), True, 0),
            ("splash.wmf", shown_quadrants(lambda path: metafiles.write_placeable_wmf(
                path, 300, 200, wmf_inch, wmf_bounds), wmf_size), wmf_size, False, 0),
            ("splash.emf", shown_quadrants(lambda path: metafiles.write_emf(path, 240, 192, 100),
                                           emf_size), emf_size, False, 0),
        )

    def test_each_format_shows_centred_with_its_pixels_until_the_end_of_the_run(self):
        folder = os.path.join(build_dir(), "splash-pictures")
        for name, make, (width, height), layered, tolerance in self.format_cases():
            with self.subTest(picture=name):
                path, pixel = make(folder, name)
                app = self.splash_app(picture=path)
                wrong = []

                def check(window):
                    left, top = window["rect"][:2]
                    shot = os.path.join(folder, name + ".shot.png")
                    screen = pictures.Screen(wine_display(), keep=shot)
                    wrong.extend(pictures.mismatches(screen, left, top, width, height, pixel,
                                                     tolerance))

                # Transparent parts show what lies below: a backdrop of a known colour.
                backdrop = pictures.start_backdrop(wine_display(), SCREEN)
                try:
                    result, window = app.run_while_shown(check)
                finally:
                    backdrop.kill()
                    backdrop.wait()
                self.assertEqual(result.exit_code, 0)
                self.assertIsNotNone(window, app.record())
                self.assert_splash_window(window, (width, height), layered=layered)
                self.assertEqual(wrong, [])
                # Still there when main returns: only the teardown closes it.
                self.assertEqual(splash_window(app.record()[-4:]), window)

    def test_a_picture_wider_than_the_screen_starts_left_of_it(self):
        path, _ = self.picture("wide.bmp", 1400, 60)
        app = self.splash_app(picture=path, main_class="fake.Main")
        self.assertEqual(app.run(splash="wait").exit_code, 0)
        self.assertIn("splash-window -60,482 1400x60 visible", app.record())

    def test_pictures_over_the_size_bound_show_nothing_and_take_no_memory(self):
        """A small file can claim a picture of gigabytes: the header is read before anything is
        decoded. Up to the bound (8192 by 8192 pixels, a side of 32767) pictures still show."""
        folder = os.path.join(build_dir(), "splash-pictures")
        os.makedirs(folder, exist_ok=True)
        colour = (200, 80, 40)
        base = self.splash_app(main_class="fake.Main")
        self.assertEqual(base.run(memory=True).exit_code, 0)
        writers = {"png": pictures.write_plain_png, "gif": pictures.write_plain_gif,
                   "bmp": pictures.write_plain_bmp}
        cases = [("png", 10000, 10000, False), ("gif", 10000, 10000, False),
                 ("bmp", 10000, 10000, False), ("gif", 8193, 8192, False),
                 ("png", 2, 32768, False), ("gif", 8192, 8192, True), ("png", 32767, 2, True)]
        for kind, width, height, shown in cases:
            with self.subTest(picture="%dx%d.%s" % (width, height, kind)):
                path = os.path.join(folder, "plain-%dx%d.%s" % (width, height, kind))
                writers[kind](path, width, height, colour)
                app = self.splash_app(picture=path, main_class="fake.Main")
                self.assertEqual(app.run(splash="wait", memory=True).exit_code, 0)
                window = splash_window(app.record())
                self.assertIsNotNone(window, app.record())
                if shown:
                    # A PNG keeps its alpha: a layered window.
                    self.assert_splash_window(window, (width, height), layered=kind == "png")
                    continue
                self.assertEqual(window["rect"], (SCREEN[0] // 2, SCREEN[1] // 2, 0, 0))
                growth = app.peak_working_set() - base.peak_working_set()
                self.assertLess(growth, 100 * 2**20, "peak grew by %d MB" % (growth // 2**20))

    def test_the_drop_shadow_only_for_exactly_true(self):
        path, _ = self.picture("small.bmp", 40, 30)
        for shadow, wanted in (("true", True), ("True", False), ("yes", False), ("", False)):
            with self.subTest(shadow=shadow):
                app = self.splash_app(picture=path, shadow=shadow, main_class="fake.Main")
                self.assertEqual(app.run(splash="wait").exit_code, 0)
                self.assert_splash_window(splash_window(app.record()), (40, 30), shadow=wanted)

    def test_a_picture_that_cannot_be_read_leaves_an_empty_window_and_the_run_goes_on(self):
        folder = os.path.join(build_dir(), "splash-pictures")
        os.makedirs(folder, exist_ok=True)
        empty, broken = os.path.join(folder, "empty.bmp"), os.path.join(folder, "broken.png")
        open(empty, "wb").close()
        with open(broken, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + b"\0" * 64)
        for picture in (os.path.join(folder, "missing.bmp"), empty, broken):
            with self.subTest(picture=os.path.basename(picture)):
                app = self.splash_app(picture=picture, main_class="fake.Main")
                self.assertEqual(app.run(splash="wait").exit_code, 0)
                # Wine keeps a window of no size hidden; either way nothing shows.
                self.assertRegex("\n".join(app.record()),
                                 r"\nsplash-window 640,512 0x0 (visible|hidden)\nsplash-styles .*\ndetach\n")

    def test_the_command_line_can_suppress_the_splash_as_whole_arguments_only(self):
        path, _ = self.picture("small.bmp", 40, 30)
        for args, shown in ((["-nosplash"], False), (["x", "/nosplash"], False),
                            (["-NOSPLASH"], True), (["-nosplash=1"], True)):
            with self.subTest(args=args):
                app = self.splash_app(picture=path, main_class="fake.Main")
                self.assertEqual(app.run(args, splash="wait" if shown else "1").exit_code, 0)
                windows = [line for line in app.record() if line.startswith("splash-window")]
                self.assertEqual(windows[-1] != "splash-window none", shown, windows)
        app = self.splash_app(picture="", main_class="fake.Main")
        self.assertEqual(app.run(splash="1").exit_code, 0)
        self.assertEqual(app.record()[-3], "splash-window none")

    def test_an_uncaught_exception_closes_the_splash_before_its_report(self):
        path, _ = self.picture("small.bmp", 40, 30)
        app = self.splash_app(picture=path, main_class="fake.Throws",
                              application_section="Failure Check=Yes\n")
        outcome = {}
        runner = threading.Thread(target=lambda: outcome.update(result=app.run(splash="wait")))
        runner.start()
        clear = "clear java/lang/IllegalStateException"
        deadline = time.monotonic() + 60
        while clear not in app.record() and time.monotonic() < deadline:
            time.sleep(0.1)
        # The report is up; Enter ignores the exception.
        while runner.is_alive() and time.monotonic() < deadline:
            found = xdotool("search", "--name", "^Java Exception$", display=wine_display())
            if found.stdout.split():
                press("Return")
                break
            time.sleep(0.2)
        runner.join(120)
        self.assertEqual(outcome["result"].exit_code, 0)
        record = app.record()
        shown = record.index("splash-window 620,497 40x30 visible")
        self.assertLess(shown, record.index(clear))
        self.assertEqual(record[record.index(clear) - 1], "splash-window none")

    def test_the_runtime_splash_library_is_started_and_closed_once(self):
        path, _ = self.picture("small.bmp", 40, 30)
        picture = os.path.join(os.path.dirname(path), "spl\u00e9sh.bmp")
        shutil.copy(path, picture)
        ansi = to_windows_path(picture).replace("\u00e9", "\\xE9")  # code page 1252
        start = ["splash-init", "splash-load-file " + ansi,
                 "splash-set-file-jar-name %s []" % ansi]

        app = self.splash_app(picture=picture, prefer_native="YES", splash_library="fake_splash.dll",
                              main_class="fake.Main")
        app.write_settings_as_utf16()
        self.assertEqual(app.run(lang="en_US.UTF-8").exit_code, 0)
        records = app.splash_records()
        self.assertEqual(records[:4], start + ["create version=65538 ignoreUnrecognized=0"])
        self.assertEqual(records[-2:], ["destroy", "splash-close"])
        self.assertEqual(records.count("splash-close"), 1)
        self.assertFalse([r for r in records if r.startswith("splash-styles")], records)

        # A failed run closes it right after the main thread, before the VM is destroyed.
        app = self.splash_app(picture=picture, prefer_native="yes",
                              splash_library="fake_splash.dll", main_class="fake.Missing")
        self.assertEqual(app.run(lang="en_US.UTF-8").exit_code, FAILURE)
        self.assertEqual(app.splash_records()[-2:], ["splash-close", "destroy"])

    def test_libraries_that_lack_entry_points_and_settings_that_do_not_ask(self):
        path, _ = self.picture("small.bmp", 40, 30)
        own_window = "splash-window 620,497 40x30 visible"
        # Without SplashClose: started, never closed, no own window.
        app = self.splash_app(picture=path, prefer_native="Yes",
                              splash_library="fake_splash_no_close.dll", main_class="fake.Main")
        self.assertEqual(app.run().exit_code, 0)
        records = app.splash_records()
        self.assertEqual(records[0], "splash-init")
        self.assertNotIn("splash-close", records)
        self.assertNotIn(own_window, records)
        # Without SplashLoadFile: not started, the own window instead, its SplashClose once.
        app = self.splash_app(picture=path, prefer_native="Yes",
                              splash_library="fake_splash_no_load_file.dll", main_class="fake.Main")
        self.assertEqual(app.run(splash="wait").exit_code, 0)
        records = app.splash_records()
        self.assertNotIn("splash-init", records)
        self.assertIn(own_window, records)
        self.assertEqual(records[-1], "splash-close")
        self.assertEqual(records.count("splash-close"), 1)
        # Not asked for: the library is not touched.
        for prefer in (None, "no", "true"):
            with self.subTest(prefer=prefer):
                app = self.splash_app(picture=path, prefer_native=prefer,
                                      splash_library="fake_splash.dll", main_class="fake.Main")
                self.assertEqual(app.run(splash="wait").exit_code, 0)
                records = app.splash_records()
                self.assertIn(own_window, records)
                self.assertFalse([r for r in records if r.startswith("splash-") and not
                                  r.startswith(("splash-window", "splash-styles"))], records)


if __name__ == "__main__":
    unittest.main()
