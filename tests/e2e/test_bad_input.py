"""Bad input on the POSIX build (see bad_input.py), and a command line at the length limit that
the kernel puts on the arguments and environment of a new program."""

import errno
import json
import os
import shutil
import subprocess
import unittest

from bad_input import MB, PAIR_EXIT_CODE, BadInputCases, snapshot
from harness import build_dir
from java_app import ProbeApp
from runtimes import make_posix_home

# The kernel's limit for one argument, its terminating NUL included.
LONGEST_ARGUMENT = 131072
CLASS_PATH_MISSING = "Java Class Path was not specified in INI file."


def tool(*parts):
    return os.path.join(build_dir(), "tests", "tools", *parts)


def launcher_lines(stderr):
    """Standard error without the stack frames that the VM prints for an exception."""
    return [line for line in stderr.splitlines() if not line.startswith("\tat ")]


def probe_environment():
    """What ProbeApp.run adds to the environment, so that its size is known beforehand."""
    return {"ASAN_OPTIONS": ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"),
                                                   "detect_leaks=0"]))}


def longest_arguments(app, env):
    """Arguments that take the launcher right to the kernel's limit on the size of a new
    program's arguments and environment: a few odd ones, one of the longest size allowed,
    then filler. A copy of /bin/true under a path as long as the launcher's finds the limit."""
    fixed = ["ä", "b c", '"quoted"', "", "%PATH%", "-nosplash", "x" * (LONGEST_ARGUMENT - 1)]
    full_env = dict(os.environ, **env)
    probe = os.path.join(app.folder, "t" * len(os.path.basename(app.path)))
    shutil.copy2("/bin/true", probe)

    def arguments(rest):
        result = list(fixed)
        while rest > 0:
            size = min(rest, 100001)
            result.append("y" * (size - 1))
            rest -= size
        return result

    def fits(rest):
        try:
            subprocess.run([app.path] + arguments(rest), executable=probe, env=full_env,
                           check=True)
            return True
        except OSError as error:
            if error.errno != errno.E2BIG:
                raise
            return False

    low, high = 0, 8 * MB
    assert fits(low) and not fits(high)
    while high - low > 1:
        middle = (low + high) // 2
        if fits(middle):
            low = middle
        else:
            high = middle
    os.remove(probe)
    return arguments(low)


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
        # The recorder's path is as long as the launcher's: the kernel counts the program's
        # path with the arguments and the environment.
        lines, record = self.pair_settings(app, recorder_name="pair")
        app.write_ini(lines)
        env = {"PAIR_RECORDER_EXIT_CODE": str(PAIR_EXIT_CODE)}
        arguments = longest_arguments(app, env)
        result = app.run(arguments, env=env)
        self.assert_pair_started(app, result, arguments, record)


class BadInputToTheVmOnPosix(unittest.TestCase):
    """Cases that reach the real VM."""

    def probe(self, *args, **kwargs):
        app = ProbeApp(*args, **kwargs)
        self.addCleanup(app.remove)
        return app

    def test_command_line_at_the_system_limit_reaches_main(self):
        app = self.probe("probe.Args")
        env = probe_environment()
        arguments = longest_arguments(app.app, env)
        result = app.app.run(arguments, env=env)
        self.assertEqual((result.exit_code, result.stderr), (0, ""))
        self.assertEqual(app.lines(), arguments)

    def test_class_path_of_missing_folders_only(self):
        app = self.probe("probe.Args", class_path=(
            "nosuch/*.jar;/no/such/folder/*.jar;nosuch/deeper/lib.jar;%s/*.jar;probe.jar/inner/*.jar"
            % ("n" * 300)))
        os.remove(app.file("probe.jar"))
        with open(app.file("probe.jar"), "w") as f:
            f.write("a file, not a folder")
        before = snapshot(app.app.folder)
        result = app.run(["a"])
        self.assertEqual(result.exit_code, 255)
        # The VM is still created; without a class path it cannot find the main class.
        self.assertEqual(launcher_lines(result.stderr), [
            CLASS_PATH_MISSING,
            'Exception in thread "main" java.lang.NoClassDefFoundError: probe/Args',
            "Caused by: java.lang.ClassNotFoundException: probe.Args",
            "Could not find the main class probe/Args."])
        self.assertEqual(snapshot(app.app.folder), before)

    def test_missing_class_path_folders_are_left_out(self):
        app = self.probe("probe.ClassPath", class_path=(
            "nosuch/*.jar;probe.jar;/no/such/folder/*.jar;probe.jar/inner/*.jar;%s/*.jar"
            % ("n" * 300)))
        result = app.run()
        self.assertEqual((result.exit_code, result.stderr), (0, ""))
        self.assertEqual(app.lines(), ["java.class.path=%s:" % app.file("probe.jar"),
                                       "extra.Marker missing"])

    def test_unwritable_output_files_leave_the_streams_as_they_were(self):
        long_name = "n" * 300 + "/out.txt"
        cases = (("lib", "err.txt", "lib (Is a directory)"),
                 ("probe.jar/out.txt", "err.txt", "probe.jar/out.txt (Not a directory)"),
                 (long_name, "err.txt", long_name + " (File name too long)"))
        for output, error, reason in cases:
            with self.subTest(output=output[:20]):
                app = self.probe("probe.Streams", application_section=(
                    "Output File=%s\nError File=%s\n" % (output, error)))
                os.makedirs(app.file("lib"))
                before = snapshot(app.app.folder)
                result = app.run()
                self.assertEqual(result.exit_code, 0)
                self.assertEqual(result.stdout, "to standard output\n")
                self.assertEqual(launcher_lines(result.stderr), [
                    'Exception in thread "main" java.io.FileNotFoundException: ' + reason])
                with open(app.file("err.txt")) as f:
                    self.assertEqual(f.read(), "to standard error\n")
                after = snapshot(app.app.folder)
                after.pop("err.txt")
                self.assertEqual(after, before)

    def test_both_output_files_unwritable(self):
        app = self.probe("probe.Streams", application_section=(
            "Output File=lib\nError File=probe.jar/err.txt\n"))
        os.makedirs(app.file("lib"))
        before = snapshot(app.app.folder)
        result = app.run()
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(result.stdout, "to standard output\n")
        # The error redirection is tried after the output one failed, and fails on its own.
        self.assertEqual(launcher_lines(result.stderr), [
            'Exception in thread "main" java.io.FileNotFoundException: lib (Is a directory)',
            'Exception in thread "main" java.io.FileNotFoundException: probe.jar/err.txt '
            "(Not a directory)",
            "to standard error"])
        self.assertEqual(snapshot(app.app.folder), before)


if __name__ == "__main__":
    unittest.main()
