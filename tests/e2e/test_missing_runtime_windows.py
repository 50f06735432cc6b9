"""A launcher.exe under Wine that finds no runtime (the fresh prefix has none registered) shows
dialog 201 "JRE Not Found": its texts and layout, the message with the version phrase, the
link in the colours of the user's browser settings; Cancel ends with 4294967295 and writes
nothing. OK on a folder whose jvm.dll is no library remembers nothing, so the next start asks
again. The unit tests drive the dialog's states with a stand-in for the shell's folder browser;
here the real browser is driven with the keyboard."""

import os
import re
import subprocess
import sys
import threading
import time
import unittest

import harness
from harness import App
from runtimes import make_windows_home

sys.path.insert(0, os.path.join(harness.source_dir(), "resources"))
import generate_resources  # noqa: E402  (the loader of the texts' one source)

SETTINGS = ("[Java Runtime Environment]\nMain Class=app.Main\nJVM Type=server\n"
            "Minimum Version=1.7\nProduct Name=Tool\nProduct Code=tool-1\n")
COLORS_KEY = r"HKCU\Software\Microsoft\Internet Explorer\Settings"
_SET_TEXT = re.compile(r'set_window_text L"(.*)"')


def english():
    languages = generate_resources.load_languages(
        os.path.join(harness.source_dir(), "resources", "texts"))
    return next(lang for lang in languages if lang["language"] == 0x0409)


def reg(*args):
    subprocess.run([harness.WINE, "reg"] + list(args), env=harness.wine_base_env(),
                   capture_output=True, check=True)


def settings_files():
    """Every settings file of the application anywhere in the prefix's user folders."""
    users = os.path.join(harness.wine_state_dir(), "prefix", "drive_c", "users")
    return sorted(os.path.join(folder, name) for folder, _, names in os.walk(users)
                  for name in names if name == "tool.ini")


class MissingRuntimeDialog(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.texts = english()

    def setUp(self):
        self.app = App("windows")
        self.addCleanup(self.app.remove)
        self.app.write_ini(SETTINGS)
        self.display = harness.wine_display()

    def start(self, debug):
        """Runs the launcher on a thread; returns the thread and where its result lands."""
        result = {}
        run = threading.Thread(target=lambda: result.update(run=harness.run_windows(
            harness.quote_argument(harness.to_windows_path(self.app.path)),
            lang="en_US.UTF-8", cwd=self.app.folder, answer_boxes=False, debug=debug,
            timeout=90)))
        run.start()
        return run, result

    def wait_for_dialog(self):
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            found = harness.xdotool("search", "--onlyvisible", "--name", "^JRE Not Found$",
                                    display=self.display).stdout.split()
            if found:
                time.sleep(1)  # let it paint
                return found[0]
            time.sleep(0.3)
        self.fail("dialog 201 did not appear")

    def cancel(self, window, run, result):
        harness.xdotool("mousemove", "0", "0", display=self.display)
        harness.xdotool("windowfocus", window, display=self.display)
        harness.xdotool("key", "--clearmodifiers", "Escape", display=self.display)
        run.join(60)
        return result["run"]

    def test_dialog_shows_what_is_needed_and_cancel_ends_the_start(self):
        before = settings_files()
        run, result = self.start(debug="+dialog,+win")
        window = self.wait_for_dialog()
        folder = os.path.join(harness.build_dir(), "screenshots")
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["import", "-display", self.display, "-window", window,
                        os.path.join(folder, "missing_runtime_dialog.png")], check=False)
        outcome = self.cancel(window, run, result)

        self.assertEqual(outcome.exit_code, 4294967295)
        strings, dialog = self.texts["strings"], self.texts["dialog"][201]
        message = strings[206].replace("%s", strings[219].replace("%s", "1.7"))
        shown = [harness.decode_wine_string(m) for m in _SET_TEXT.findall(outcome.stderr)]
        self.assertIn(message, shown)
        self.assertIn('CAPTION L"%s"' % dialog["caption"], outcome.stderr)
        # The template as created (the exact layout is test_resources' work): the taller
        # message box, the link with the build's address, OK disabled.
        url = os.environ["LAUNCHER_DOWNLOAD_URL"]
        for control in ['L"Static" L"" 203, 42, 24, 149, 40, ',
                        'L"Static" L"%s" 205, 44, 64, 159, 8, ' % url,
                        'L"Button" L"%s" 1, 107, 122, 50, 14, 58010001' % dialog["ok"]]:
            self.assertIn(control, outcome.stderr)
        with open(self.app.ini_path, encoding="utf-8") as f:
            self.assertEqual(f.read().replace("\r\n", "\n"), SETTINGS)
        self.assertEqual(settings_files(), before)

    def pick_and_accept(self, window, folder):
        """Browse (two Tabs from Cancel), the folder through the browser's tree by typing each
        name below "/", then OK (the Tab after Browse)."""
        def keys(target, *names):
            harness.xdotool("windowfocus", target, display=self.display)
            for name in names:
                time.sleep(0.5)
                harness.xdotool("key", "--clearmodifiers", name, display=self.display)

        keys(window, "Tab", "Tab", "space")
        deadline = time.monotonic() + 30
        browser = []
        while not browser:
            self.assertLess(time.monotonic(), deadline, "no folder browser")
            time.sleep(0.3)
            browser = harness.xdotool("search", "--onlyvisible", "--name", "^Browse for Folder$",
                                      display=self.display).stdout.split()
        keys(browser[0])
        for name in ["/"] + os.path.abspath(folder).strip("/").split("/"):
            harness.xdotool("type", "--delay", "80", name, display=self.display)
            time.sleep(0.8)
            harness.xdotool("key", "Right", display=self.display)
            time.sleep(0.8)
        keys(browser[0], "Return")
        time.sleep(1)
        keys(window, "Tab", "space")

    def test_folder_whose_library_does_not_load_is_asked_for_again(self):
        """That start reports the failed load and remembers nothing; the next start shows the
        dialog again, and the application's own "JRE Path" still counts once its folder holds
        a runtime."""
        bundled = os.path.join(self.app.folder, "bundled")
        broken = make_windows_home(os.path.join(self.app.folder, "broken"), ["server"])
        own = SETTINGS + "JRE Path=%s\n" % harness.to_windows_path(bundled)
        self.app.write_ini(own)
        before = settings_files()
        run, result = self.start(debug="+msgbox")
        self.pick_and_accept(self.wait_for_dialog(), broken)
        deadline = time.monotonic() + 30
        while not harness.close_message_boxes("tool.exe", self.display):
            self.assertLess(time.monotonic(), deadline, "no message box")
            time.sleep(0.3)
        run.join(60)

        failed = self.texts["strings"][222].split("%s")[0]
        broken_library = harness.to_windows_path(broken) + "\\bin\\server\\jvm.dll"
        self.assertEqual(result["run"].exit_code, 4294967295)
        self.assertEqual(len(result["run"].messages), 1)
        self.assertTrue(result["run"].messages[0].startswith(failed + broken_library),
                        result["run"].messages)
        self.assertEqual(settings_files(), before)

        command = harness.quote_argument(harness.to_windows_path(self.app.path))
        again = harness.run_windows(command, lang="en_US.UTF-8", cwd=self.app.folder,
                                    window_class="tool.exe", timeout=90)
        self.assertGreaterEqual(again.cancelled_dialogs, 1)
        self.assertEqual(again.exit_code, 4294967295)
        self.assertEqual(again.messages, [])

        make_windows_home(bundled, ["server"])
        installed = harness.run_windows(command, lang="en_US.UTF-8", cwd=self.app.folder,
                                        window_class="tool.exe", timeout=90)
        self.assertEqual(installed.cancelled_dialogs, 0)
        self.assertEqual(len(installed.messages), 1)
        self.assertIn(harness.to_windows_path(bundled) + "\\bin\\server\\jvm.dll",
                      installed.messages[0])
        self.assertEqual(settings_files(), before)
        with open(self.app.ini_path, encoding="utf-8") as f:
            self.assertEqual(f.read().replace("\r\n", "\n"), own)

    def test_link_is_drawn_in_the_anchor_color_of_the_browser_settings(self):
        reg("add", COLORS_KEY, "/v", "Anchor Color", "/t", "REG_SZ", "/d", "0,160,0", "/f")
        self.addCleanup(reg, "delete", COLORS_KEY, "/v", "Anchor Color", "/f")
        run, result = self.start(debug="-all")
        window = self.wait_for_dialog()
        harness.xdotool("mousemove", "0", "0", display=self.display)  # no tooltip over it
        time.sleep(0.5)
        pixels = subprocess.run(["import", "-display", self.display, "-window", window,
                                 "-depth", "8", "txt:-"], capture_output=True, text=True).stdout
        outcome = self.cancel(window, run, result)
        self.assertEqual(outcome.exit_code, 4294967295)
        # The underline is a run of pixels in exactly the link colour; the default blue is gone.
        self.assertGreater(pixels.count("#00A000"), 20)
        self.assertEqual(pixels.count("#0000FF"), 0)


if __name__ == "__main__":
    unittest.main()
