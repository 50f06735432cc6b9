"""The Linux dialogs as a user sees them, under a private Xvfb: in every one of the 27 languages
each text and button of the "Java Exception" and missing-runtime dialogs fits its box (GTK's
allocations, reported by the window process when JL_WINDOW_LAYOUT names a file, against what
each control's contents need), nothing crosses its frame or another control; the windows are
dialogs named after the launcher; the link has its address as its tooltip (Xvfb shows no
tooltip to a pointer that xdotool moves, so the window process reports it). Screenshots are kept in <build>/tests/e2e/dialogs_seen/."""

import glob
import os
import shutil
import subprocess
import tempfile
import time
import tomllib
import unittest

import harness
from harness import RunningPosix
from java_app import ProbeApp
from xvfb_display import XvfbDisplay

TEXTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                     "texts")
# Each dialog's frame and the controls inside it.
FRAMED = {"exception": (209, {204, 210, 208, 211, 212, 1, 2}),
          "missing-runtime": (1001, {204, 203, 205, 206, 1000, 201, 202})}


def artifact(name):
    folder = os.path.join(harness.build_dir(), "tests", "e2e", "dialogs_seen")
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, name)


def languages():
    """(file name, LANG value) of every language, from its first POSIX locale."""
    found = []
    for path in sorted(glob.glob(os.path.join(TEXTS, "*.toml"))):
        with open(path, "rb") as f:
            locale = tomllib.load(f)["locales"][0]
        name, _, modifier = locale.partition("@")
        found.append((os.path.basename(path)[:-5],
                      name + ".UTF-8" + ("@" + modifier if modifier else "")))
    return found


def read_layout(path):
    client, controls = None, {}
    with open(path) as f:
        for line in f:
            kind, *values = line.split()
            if kind == "client":
                client = tuple(map(int, values))
            elif kind == "control":
                values = list(map(int, values))
                controls[values[0]] = values[1:]
    return client, controls


def overlaps(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def inside(inner, outer):
    return (outer[0] <= inner[0] and outer[1] <= inner[1] and
            inner[0] + inner[2] <= outer[0] + outer[2] and inner[1] + inner[3] <= outer[1] + outer[3])


def misfits(kind, client, controls):
    """Every way a control fails its box, as text."""
    found = []
    frame_id, framed = FRAMED[kind]
    for number, (x, y, width, height, need_width, need_height) in controls.items():
        box = (x, y, width, height)
        if need_width > width or need_height > height:
            found.append("%d needs %dx%d in %dx%d" % (number, need_width, need_height, width,
                                                      height))
        if not inside(box, (0, 0) + client):
            found.append("%d %r leaves the client area %r" % (number, box, client))
        if number in framed and not inside(box, tuple(controls[frame_id][:4])):
            found.append("%d %r crosses the frame" % (number, box))
        for other, values in controls.items():
            if other < number and other != frame_id and number != frame_id and \
                    overlaps(box, values[:4]):
                found.append("%d overlaps %d" % (number, other))
    return found


class DialogsSeen(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = XvfbDisplay()

    @classmethod
    def tearDownClass(cls):
        cls.display.stop()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="dialogs-seen-")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def missing_runtime(self, lang, env=None):
        app = ProbeApp("probe.Environment", runtime="search",
                       runtime_section="Minimum Version=99\nJVM Type=server\n")
        self.addCleanup(app.app.remove)
        env = dict(env or {}, XDG_CONFIG_HOME=self.folder)
        return os.path.basename(app.app.path), RunningPosix(
            [app.app.path], cwd=app.app.folder, env=env, lang=lang, display=self.display.name)

    def exception(self, lang, env=None):
        report = os.path.join(self.folder, "report.txt")
        with open(report, "w", encoding="utf-8") as f:
            f.write("java.lang.IllegalStateException: fit\n\tat probe.Thrower.main(Thrower.java:7)\n")
        probe = os.environ["LAUNCHER_EXCEPTION_DIALOG_PROBE"]
        return os.path.basename(probe), RunningPosix([probe, report], env=env, lang=lang,
                                                     display=self.display.name)

    def window_of(self, program, running, timeout=60):
        """The visible window whose WM_CLASS names the program."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.display.xdotool("search", "--onlyvisible", "--classname",
                                         "^%s$" % program).split()
            if found:
                return found[0]
            if not running.running():
                self.fail("ended without a window: %r" % (running.finish().stderr,))
            time.sleep(0.1)
        self.fail("no window of class %s" % program)

    def test_every_text_and_button_fits_its_box_in_every_language(self):
        for language, lang in languages():
            for kind, start in (("exception", self.exception),
                                ("missing-runtime", self.missing_runtime)):
                with self.subTest(language=language, dialog=kind):
                    layout = os.path.join(self.folder, "layout.txt")
                    if os.path.exists(layout):
                        os.remove(layout)
                    program, running = start(lang, {"JL_WINDOW_LAYOUT": layout})
                    window = None
                    try:
                        window = self.window_of(program, running)
                        harness.wait_until(lambda: os.path.exists(layout),
                                           lambda: "no layout report", timeout=30)
                        time.sleep(0.3)
                        self.display.run("import", "-window", window,
                                         artifact("%s_%s.png" % (kind, language)))
                        client, controls = read_layout(layout)
                        self.assertEqual(len(controls), 8 if kind == "exception" else 10)
                        self.assertEqual(misfits(kind, client, controls), [])
                    finally:
                        if window:
                            self.display.key(window, "Escape")
                        else:
                            running.process.kill()
                        running.finish()

    def test_dialogs_are_named_after_the_launcher_and_typed_as_dialogs(self):
        for kind, start in (("exception", self.exception),
                            ("missing-runtime", self.missing_runtime)):
            with self.subTest(dialog=kind):
                program, running = start("en_US.UTF-8")
                window = self.window_of(program, running)
                properties = self.display.properties(window, "WM_CLASS", "_NET_WM_WINDOW_TYPE")
                self.assertIn('WM_CLASS(STRING) = "%s", "%s"' % (program, program), properties)
                self.assertIn("_NET_WM_WINDOW_TYPE_DIALOG", properties)
                self.display.key(window, "Escape")
                running.finish()

    def test_the_link_shows_its_address_in_a_tooltip_and_the_chooser_makes_no_folders(self):
        layout = os.path.join(self.folder, "layout.txt")
        program, running = self.missing_runtime("en_US.UTF-8", {"JL_WINDOW_LAYOUT": layout})
        window = self.window_of(program, running)
        try:
            harness.wait_until(lambda: os.path.exists(layout), lambda: "no layout report")
            with open(os.path.join(harness.build_dir(), "generated", "download_url.txt")) as f:
                address = f.read().strip()
            with open(layout) as f:
                self.assertIn("tooltip 205 %s\n" % address, f.read())
            # The chooser, for people to look at: no button makes a folder.
            self.display.key(window, "space")
            chooser = self.display.find_window("Browse for JRE folder")
            time.sleep(0.5)
            self.display.screenshot(artifact("folder_chooser.png"))
            self.display.key(chooser, "Escape")
        finally:
            self.display.key(window, "Escape")
            running.finish()

class CentredByTheOuterFrame(unittest.TestCase):
    """Under a window manager that frames windows (4 pixels each side, 28 on top), the frame,
    not the window inside it, is centred on the screen."""

    EXTENTS = (4, 4, 28, 4)  # left, right, top, bottom

    def setUp(self):
        self.display = XvfbDisplay()
        self.addCleanup(self.display.stop)
        manager = subprocess.Popen([os.environ["LAUNCHER_FRAME_WINDOW_MANAGER"]],
                                   env={**os.environ, "DISPLAY": self.display.name},
                                   stdout=subprocess.PIPE, text=True)
        self.addCleanup(manager.stdout.close)
        self.addCleanup(manager.wait)
        self.addCleanup(manager.kill)
        self.assertEqual(manager.stdout.readline(), "ready\n")

    def test_the_frame_is_centred(self):
        seen = DialogsSeen()
        seen.display, seen.folder = self.display, tempfile.mkdtemp(prefix="dialogs-seen-")
        self.addCleanup(shutil.rmtree, seen.folder, True)
        for kind, start in (("exception", seen.exception),
                            ("missing-runtime", seen.missing_runtime)):
            with self.subTest(dialog=kind):
                program, running = start("en_US.UTF-8")
                window = seen.window_of(program, running)
                left, right, top, bottom = self.EXTENTS
                frame = None
                for _ in range(50):  # until the move after mapping has arrived
                    x, y, width, height = self.display.geometry(window)
                    frame = (x - left, y - top, width + left + right, height + top + bottom)
                    centred = ((self.display.width - frame[2]) // 2,
                               (self.display.height - frame[3]) // 2)
                    if all(abs(a - b) <= 1 for a, b in zip(frame[:2], centred)):
                        break
                    time.sleep(0.1)
                self.assertLessEqual(abs(frame[0] - centred[0]), 1, frame)
                self.assertLessEqual(abs(frame[1] - centred[1]), 1, frame)
                self.display.screenshot(artifact("framed_%s.png" % kind))
                self.display.key(window, "Escape")
                running.finish()


if __name__ == "__main__":
    unittest.main()
