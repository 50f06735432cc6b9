"""scripts/demo.sh from the install to the demo's output, on a machine (setup_machine.py) that
has none of the packages and whose mirror serves a broken i386 index: it asks only for what
the demo needs, builds the Linux launcher and the jar, and the demo runs through the launcher."""

import os
import re
import shutil
import tempfile
import unittest

from setup_machine import Machine, script


class DemoScript(unittest.TestCase):
    def test_demo_installs_builds_and_runs_without_wine_or_mingw(self):
        machine = Machine()
        self.addCleanup(machine.close)
        home = tempfile.mkdtemp(prefix="demo-home-")
        self.addCleanup(shutil.rmtree, home, ignore_errors=True)
        # Kept between runs, so that a second run builds only what changed.
        build = os.path.join(os.environ["LAUNCHER_BUILD_DIR"], "tests", "e2e", "demo-build")
        env = {"LAUNCHER_DEMO_BUILD": build, "HOME": home, "XDG_CACHE_HOME": home,
               "DISPLAY": None, "WAYLAND_DISPLAY": None}
        result = machine.run(script("demo.sh"), "from-the-test", timeout=1200, **env)
        self.assertEqual(0, result.returncode, result.stdout[-4000:] + result.stderr[-4000:])
        self.assertIn("Hello from Java: this program was started by the native launcher.",
                      result.stdout)
        self.assertRegex(result.stdout, r"\[0\] +from-the-test")
        asked = machine.asked_to_install()
        self.assertIn("openjdk-17-jdk-headless", asked)
        self.assertEqual([], [p for p in asked if re.search(r"wine|mingw|xvfb|:i386", p)])
        self.assertEqual([], machine.calls("dpkg", "add-architecture"))
        self.assertFalse(os.path.exists(os.path.join(build, "windows")), "no cross build")
        self.assertFalse(os.path.exists(os.path.join(build, "tests")), "no test tools")


if __name__ == "__main__":
    unittest.main()
