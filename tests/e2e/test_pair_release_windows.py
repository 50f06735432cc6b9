"""The pair product end to end, with the release executables under Wine: launcher.exe, whose
"JRE Path" holds a 32-bit x86 runtime (the test VM library built for x86), starts
launcher-x86.exe with its own command line; the 32-bit launcher hosts that library in its own
process and the Java program's exit code comes back through "Pair Return Code"."""

import os
import time
import unittest

from harness import App, to_windows_path
from runtimes import make_windows_home

DIST = os.environ.get("LAUNCHER_DIST_DIR", "")
X86_VM_LIBRARY = os.path.join(os.environ.get("LAUNCHER_X86_TOOLS", ""), "fake_jvm.dll")


def settings(jre, main_class, application=""):
    return ("[Java Runtime Environment]\nJRE Path=%s\nMain Class=%s\n"
            "[Class Path]\nClass Path=C:\\app\\app.jar\n[Application]\n%s"
            % (to_windows_path(jre), main_class, application))


class PairedLauncherHostsTheX86Runtime(unittest.TestCase):
    def setUp(self):
        self.app = App("windows", executable=os.path.join(DIST, "launcher.exe"))
        self.addCleanup(self.app.remove)
        self.pair = App("windows", name="tool-x86", folder=self.app.folder,
                        executable=os.path.join(DIST, "launcher-x86.exe"))
        self.jre = make_windows_home(self.app.file("jre32"), ("client",), X86_VM_LIBRARY)
        self.record = self.app.file("record.txt")

    def run_pair(self, main_class, args, return_code="yes"):
        application = "Pair Product=%s\nPair Return Code=%s\n" % (
            to_windows_path(self.pair.path), return_code)
        self.app.write_ini(settings(self.jre, main_class, application))
        self.pair.write_ini(settings(self.jre, main_class))
        if os.path.exists(self.record):
            os.remove(self.record)
        result = self.app.run(args, env={"FAKE_JVM_RECORD": to_windows_path(self.record)},
                              lang="en_US.UTF-8", box_classes=["tool-x86.exe"])
        return result, self.finished_record()

    def finished_record(self, timeout=60):
        """The test VM library's record once the program has ended (the 64-bit launcher
        may have ended before the 32-bit one)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if os.path.exists(self.record):
                with open(self.record, encoding="utf-8") as f:
                    lines = f.read().splitlines()
                if any(line.startswith(("exit ", "destroy")) for line in lines):
                    return lines
            time.sleep(0.2)
        self.fail("the 32-bit launcher did not run the program to its end")

    def test_the_java_exit_code_comes_back_through_the_64_bit_launcher(self):
        cases = [("fake.Exit", ["1234567", "second argument"], 1234567),
                 ("fake.Exit", ["-2"], 4294967294),
                 ("fake.Main", ["one"], 0)]
        for main_class, args, code in cases:
            with self.subTest(main_class=main_class, args=args):
                result, record = self.run_pair(main_class, args)
                self.assertEqual(result.exit_code, code, result.messages)
                self.assertEqual(result.messages, [])
                # The 32-bit launcher created the VM in its own process.
                self.assertTrue(any(line.startswith("create ") for line in record), record)
                self.assertEqual([line for line in record if line.startswith("main-arg ")],
                                 ["main-arg " + arg for arg in args])

    def test_without_pair_return_code_the_launcher_ends_at_once_with_0(self):
        result, record = self.run_pair("fake.Exit", ["77"], return_code="no")
        self.assertEqual(result.exit_code, 0)
        # The 32-bit launcher still ran the program to its end.
        self.assertIn("exit 77", record)


if __name__ == "__main__":
    unittest.main()
