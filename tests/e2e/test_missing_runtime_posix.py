"""The Linux launcher with the real VM when no installed runtime is admitted ("Minimum
Version=99"): without a display the message goes to standard error and the start ends with
255; under Xvfb the window process shows the missing-runtime dialog, which is driven with
xdotool through its GTK folder chooser. A folder without a VM library keeps OK disabled, the
machine's JDK enables it, OK runs the program on that JDK and remembers "JRE Path" for the
next start; Cancel writes nothing. The link is not opened here: no desktop handler exists."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

import harness
from java_app import ProbeApp, jdk_home

ENGLISH_206 = ("The Java Runtime Environment (JRE) was not found. Please  download and install a "
               "JRE with a server JVM (minimum version 99.0) from:")
RUNTIME = "Minimum Version=99\nJVM Type=server\n"


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        return server, ":" + reader.readline().strip()


class MissingRuntime(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.xvfb, cls.display = start_xvfb()

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.terminate()
        cls.xvfb.wait(10)

    def setUp(self):
        self.probe = ProbeApp("probe.Environment", runtime="search", runtime_section=RUNTIME)
        self.addCleanup(self.probe.app.remove)
        self.config = tempfile.mkdtemp(prefix="launcher-config-")
        self.addCleanup(shutil.rmtree, self.config, True)
        self.empty = tempfile.mkdtemp(prefix="launcher-empty-")
        self.addCleanup(shutil.rmtree, self.empty, True)
        with open(self.probe.app.ini_path, encoding="utf-8") as f:
            self.settings = f.read()

    def env(self, display):
        env = dict(os.environ, XDG_CONFIG_HOME=self.config, LANG="en_US.UTF-8",
                   LC_ALL="en_US.UTF-8")
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("DISPLAY", None)
        if display:
            env["DISPLAY"] = self.display
        return env

    def written_settings(self):
        """The settings files the start left in the per-user folder, with their texts."""
        found = {}
        for folder, _, names in os.walk(self.config):
            for name in names:
                if name.endswith(".ini"):
                    with open(os.path.join(folder, name), encoding="utf-8") as f:
                        found[name] = f.read()
        return found

    def xdotool(self, *args):
        return harness.xdotool(*args, display=self.display)

    def wait_for(self, title, process=None, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if process and process.poll() is not None:
                self.fail("ended without a dialog (%d): %s" % (process.returncode,
                                                               process.communicate()[1]))
            found = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title).stdout.split()
            if found:
                time.sleep(0.5)  # let it take the keyboard and paint
                return found[0]
            time.sleep(0.2)
        self.fail("no window %r" % title)

    def keys(self, window, *keys):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "--clearmodifiers", *keys)

    def browse(self, dialog, folder):
        """Browse (it has the focus), then the folder typed into the chooser's location."""
        self.keys(dialog, "space")
        chooser = self.wait_for("Browse for JRE folder")
        self.keys(chooser, "ctrl+l")
        self.xdotool("type", "--delay", "30", folder.rstrip("/") + "/")
        time.sleep(0.8)
        self.keys(chooser, "Return")
        deadline = time.monotonic() + 20
        while self.xdotool("search", "--onlyvisible", "--name", "^Browse for JRE folder$").stdout:
            self.assertLess(time.monotonic(), deadline, "the folder chooser stays open")
            time.sleep(0.2)
        time.sleep(0.5)

    def buttons(self, window):
        """The pixels of the dialog's bottom fifth, where only OK and Cancel lie."""
        self.xdotool("mousemove", "0", "0")
        pixels = subprocess.run(["import", "-display", self.display, "-window", window,
                                 "-depth", "8", "txt:-"], capture_output=True, text=True).stdout
        lines = pixels.splitlines()
        height = int(lines[0].split(":")[1].split(",")[1])
        return [line for line in lines[1:] if int(line.split(",")[1].split(":")[0]) >= height * 0.8]

    def start(self):
        process = subprocess.Popen([self.probe.app.path], cwd=self.probe.app.folder,
                                   env=self.env(display=True), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True)
        self.addCleanup(self.stop, process)
        return process

    @staticmethod
    def stop(process):
        """A start that a failed test left waiting in its dialog."""
        if process.poll() is None:
            process.kill()
        process.communicate()

    def finish(self, process):
        stdout, stderr = process.communicate(timeout=60)
        return process.returncode, stderr

    def test_without_display_the_message_goes_to_standard_error(self):
        completed = subprocess.run([self.probe.app.path], cwd=self.probe.app.folder,
                                   env=self.env(display=False), capture_output=True, text=True,
                                   timeout=60)
        self.assertEqual(completed.returncode, 255)
        self.assertIn(ENGLISH_206, completed.stderr)
        self.assertIn(os.environ["LAUNCHER_DOWNLOAD_URL"], completed.stderr)
        self.assertEqual(self.written_settings(), {})

    def test_picked_runtime_runs_the_program_and_is_remembered(self):
        process = self.start()
        dialog = self.wait_for("JRE Not Found", process)
        folder = os.path.join(harness.build_dir(), "screenshots")
        os.makedirs(folder, exist_ok=True)
        self.browse(dialog, jdk_home())
        subprocess.run(["import", "-display", self.display, "-window", "root",
                        os.path.join(folder, "missing_runtime_dialog_linux.png")], check=False)
        # From Browse, Tab reaches OK only when it is enabled.
        self.keys(dialog, "Tab", "space")
        code, stderr = self.finish(process)
        self.assertEqual(code, 0, stderr)
        self.assertIn(ENGLISH_206, stderr)
        self.assertIn("JL_JVM_HOME=" + jdk_home(), self.probe.lines())
        self.assertEqual(self.written_settings(), {
            "tool.ini": "[Java Runtime Environment]\nJRE Path=%s/\n" % jdk_home()})

        os.remove(self.probe.out)
        completed = subprocess.run([self.probe.app.path], cwd=self.probe.app.folder,
                                   env=self.env(display=True), capture_output=True, text=True,
                                   timeout=60)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertNotIn(ENGLISH_206, completed.stderr)
        self.assertIn("JL_JVM_HOME=" + jdk_home(), self.probe.lines())

    def test_folder_without_vm_library_keeps_ok_disabled_and_cancel_writes_nothing(self):
        process = self.start()
        dialog = self.wait_for("JRE Not Found", process)
        disabled = self.buttons(dialog)
        self.browse(dialog, jdk_home())
        enabled = self.buttons(dialog)
        self.browse(dialog, self.empty)
        # OK is drawn as at the start again, not as after the JDK was picked.
        self.assertNotEqual(enabled, disabled)
        self.assertEqual(self.buttons(dialog), disabled)
        # Cancel (Escape) ends the start and writes nothing anywhere.
        self.keys(dialog, "Escape")
        code, _ = self.finish(process)
        self.assertEqual(code, 255)
        self.assertEqual(self.written_settings(), {})
        self.assertEqual(self.probe.lines(), [])
        with open(self.probe.app.ini_path, encoding="utf-8") as f:
            self.assertEqual(f.read(), self.settings)

if __name__ == "__main__":
    unittest.main()
