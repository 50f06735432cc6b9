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
from java_app import ProbeApp, jdk_home, vm_sanitizer_env
from xvfb_display import XvfbDisplay

ENGLISH_206 = ("The Java Runtime Environment (JRE) was not found. Please  download and install a "
               "JRE with a server JVM (minimum version 99.0) from:")
RUNTIME = "Minimum Version=99\nJVM Type=server\n"


class MissingRuntime(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.screen = XvfbDisplay()

    @classmethod
    def tearDownClass(cls):
        cls.screen.stop()

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
                   LC_ALL="en_US.UTF-8", **vm_sanitizer_env())
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("DISPLAY", None)
        if display:
            env["DISPLAY"] = self.screen.name
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

    def wait_for_dialog(self, process):
        deadline = time.monotonic() + 60
        while not self.screen.has_window("JRE Not Found"):
            if process.poll() is not None:
                self.fail("ended without a dialog (%d): %s" % (process.returncode,
                                                               process.communicate()[1]))
            self.assertLess(time.monotonic(), deadline, "no dialog")
            time.sleep(0.2)
        time.sleep(0.5)  # let it take the keyboard and paint
        return self.screen.find_window("JRE Not Found")

    def browse(self, dialog, folder):
        """Browse (it has the focus), then the folder typed into the chooser's location."""
        self.screen.key(dialog, "space")
        chooser = self.screen.find_window("Browse for JRE folder")
        time.sleep(0.5)
        self.screen.key(chooser, "ctrl+l")
        self.screen.xdotool("type", "--delay", "30", folder.rstrip("/") + "/")
        time.sleep(0.8)
        self.screen.key(chooser, "Return")
        deadline = time.monotonic() + 20
        while self.screen.has_window("Browse for JRE folder"):
            self.assertLess(time.monotonic(), deadline, "the folder chooser stays open")
            time.sleep(0.2)
        time.sleep(0.5)

    def buttons(self, window):
        """The pixels of the dialog's bottom fifth, where only OK and Cancel lie."""
        self.screen.xdotool("mousemove", "0", "0")
        pixels = self.screen.run("import", "-window", window, "-depth", "8", "txt:-",
                                 text=True).stdout
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
        dialog = self.wait_for_dialog(process)
        folder = os.path.join(harness.build_dir(), "screenshots")
        os.makedirs(folder, exist_ok=True)
        self.browse(dialog, jdk_home())
        self.screen.screenshot(os.path.join(folder, "missing_runtime_dialog_linux.png"))
        # From Browse, Tab reaches OK only when it is enabled.
        self.screen.key(dialog, "Tab", "space")
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
        dialog = self.wait_for_dialog(process)
        disabled = self.buttons(dialog)
        self.browse(dialog, jdk_home())
        enabled = self.buttons(dialog)
        self.browse(dialog, self.empty)
        # OK is drawn as at the start again, not as after the JDK was picked.
        self.assertNotEqual(enabled, disabled)
        self.assertEqual(self.buttons(dialog), disabled)
        # Cancel (Escape) ends the start and writes nothing anywhere.
        self.screen.key(dialog, "Escape")
        code, _ = self.finish(process)
        self.assertEqual(code, 255)
        self.assertEqual(self.written_settings(), {})
        self.assertEqual(self.probe.lines(), [])
        with open(self.probe.app.ini_path, encoding="utf-8") as f:
            self.assertEqual(f.read(), self.settings)

    def test_folder_whose_library_does_not_load_is_asked_for_again(self):
        """OK on a folder whose libjvm.so is no library: that start fails to load it and
        remembers nothing, so the next start asks again and the application's own "JRE Path"
        keeps counting: once its folder exists, it runs the program."""
        bundled = os.path.join(self.empty, "bundled-jre")
        probe = ProbeApp("probe.Environment", runtime=bundled, runtime_section=RUNTIME)
        self.addCleanup(probe.app.remove)
        with open(probe.app.ini_path, encoding="utf-8") as f:
            settings = f.read()
        broken = os.path.join(self.empty, "broken-jre")
        os.makedirs(os.path.join(broken, "lib", "server"))
        os.makedirs(os.path.join(broken, "bin"))  # no single subfolder for the chooser to complete
        with open(os.path.join(broken, "lib", "server", "libjvm.so"), "wb") as f:
            f.write(b"\x7fELF but no library" * 100)
        self.probe = probe
        process = self.start()
        self.browse(self.wait_for_dialog(process), broken)
        self.screen.key(self.screen.find_window("JRE Not Found"), "Tab", "space")
        self.screen.key(self.screen.find_window("Error"), "Return")  # the failed load's notice
        code, stderr = self.finish(process)
        self.assertEqual(code, 255)
        self.assertIn("Failed to load Java VM library: %s/lib/server/libjvm.so" % broken, stderr)
        self.assertEqual(self.written_settings(), {})

        def start_without_display():
            return subprocess.run([probe.app.path], cwd=probe.app.folder,
                                  env=self.env(display=False), capture_output=True, text=True,
                                  timeout=60)
        again = start_without_display()
        self.assertEqual(again.returncode, 255)
        self.assertIn(ENGLISH_206 + "\n" + os.environ["LAUNCHER_DOWNLOAD_URL"], again.stderr)
        self.assertNotIn("Failed to load", again.stderr)

        os.symlink(jdk_home(), bundled)
        installed = start_without_display()
        self.assertEqual(installed.returncode, 0, installed.stderr)
        self.assertIn("JL_JVM_HOME=" + bundled, probe.lines())
        self.assertEqual(self.written_settings(), {})
        with open(probe.app.ini_path, encoding="utf-8") as f:
            self.assertEqual(f.read(), settings)

if __name__ == "__main__":
    unittest.main()
