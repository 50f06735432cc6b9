"""Bad input on the POSIX build (see bad_input.py), and a command line at the length limit that
the kernel puts on the arguments and environment of a new program."""

import errno
import json
import os
import shutil
import subprocess
import unittest

from bad_input import MB, PAIR_EXIT_CODE, BadInputCases
from harness import build_dir
from runtimes import make_posix_home

# The kernel's limit for one argument, its terminating NUL included.
LONGEST_ARGUMENT = 131072


def tool(*parts):
    return os.path.join(build_dir(), "tests", "tools", *parts)


class BadInputOnPosix(BadInputCases, unittest.TestCase):
    target = "posix"
    failure_code = 255

    def failure_messages(self, result):
        return result.stderr.splitlines()

    def run_app(self, app, args=(), timeout=300, **options):
        env = {"PAIR_RECORDER_EXIT_CODE": str(PAIR_EXIT_CODE)}
        return app.run(list(args), timeout=timeout, env=env, **options)

    def pair_settings(self, app, folder_name="runtime", recorder_name="pair"):
        home = make_posix_home(app.file(folder_name), ["server", "client"],
                               library=tool("x86", "libjvm.so"))
        recorder = app.file(recorder_name)
        shutil.copy2(tool("pair_recorder"), recorder)
        return self.pair_lines("app.Main", home, recorder), recorder + ".record"

    def assert_pair_started(self, app, result, args, record_path):
        self.assertEqual(result.stderr, "")
        self.assertEqual(result.exit_code, PAIR_EXIT_CODE)
        with open(record_path, encoding="utf-8") as f:
            self.assertEqual(json.load(f)["arguments"], [app.path] + list(args))

    def test_command_line_at_the_system_limit(self):
        app = self.make_app()
        # The recorder's path is as long as the launcher's, and so is the probe's: the kernel
        # counts the program's path with the arguments and the environment.
        lines, record = self.pair_settings(app, recorder_name="pair")
        app.write_ini(lines)
        probe = app.file("true")
        shutil.copy2("/bin/true", probe)
        env = dict(os.environ, PAIR_RECORDER_EXIT_CODE=str(PAIR_EXIT_CODE))
        fixed = ["ä", "b c", '"quoted"', "", "%PATH%", "x" * (LONGEST_ARGUMENT - 1)]

        def arguments(rest):
            """The fixed arguments, then arguments of 100,000 bytes and a last one, rest bytes
            in all (each counted with its NUL)."""
            result = list(fixed)
            while rest > 0:
                size = min(rest, 100001)
                result.append("y" * (size - 1))
                rest -= size
            return result

        def fits(rest):
            try:
                subprocess.run([app.path] + arguments(rest), executable=probe, env=env, check=True)
                return True
            except OSError as error:
                if error.errno != errno.E2BIG:
                    raise
                return False

        low, high = 0, 8 * MB
        self.assertTrue(fits(low))
        self.assertFalse(fits(high))
        while high - low > 1:
            middle = (low + high) // 2
            if fits(middle):
                low = middle
            else:
                high = middle
        os.remove(probe)
        result = self.run_app(app, arguments(low))
        self.assert_pair_started(app, result, arguments(low), record)


if __name__ == "__main__":
    unittest.main()
