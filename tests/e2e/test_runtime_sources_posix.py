"""Runtimes outside the system folders on the POSIX build, and the diagnostic trace: a runtime
named only by JAVA_HOME, runtimes that tools unpack below the user's home, and JL_TRACE for a
normal start, a start that finds nothing and a start whose "JRE Path" is wrong."""

import os
import shutil
import tempfile
import unittest

from java_app import ProbeApp, jdk_home
from runtimes import make_java8_home, make_posix_runtime
from test_runtime_search_posix import InventoryTest, library

FAILED = 255


class UserRuntimes(InventoryTest):
    def setUp(self):
        super().setUp()
        self.home = tempfile.mkdtemp(prefix="launcher-home-")
        self.addCleanup(shutil.rmtree, self.home, True)

    def user_runtime(self, tool_folder, name, version):
        folder = os.path.join(self.home, tool_folder)
        return make_posix_runtime(folder, name, version, ("server",), jdk=True)

    def search_machine(self, java, env):
        """The probe over the standard folders, this machine's real runtimes included."""
        self.probe.write_ini("[Java Runtime Environment]\nMain Class=app.Main\n%s\n" % java,
                             newline="\n")
        result = self.probe.run(env=env)
        fields = dict(line.split("=", 1) for line in result.stdout.splitlines())
        return fields["jvmPath"] if fields["found"] == "1" else None

    def test_tool_folders_below_the_home_are_searched(self):
        sdkman = self.user_runtime(".sdkman/candidates/java", "99.0.1-tem", "99.0.1")
        jdks = self.user_runtime(".jdks", "corretto-98", "98.0.2")
        gradle = self.user_runtime(".gradle/jdks", "jdk-97", "97")
        env = {"HOME": self.home}
        cases = [
            ("Minimum Version=99", library(sdkman)),
            ("Minimum Version=98\nMaximum Version=98.9", library(jdks)),
            ("Minimum Version=97\nMaximum Version=97", library(gradle)),
        ]
        for java, expected in cases:
            with self.subTest(java=java):
                self.assertEqual(self.search_machine(java, env), expected)
        # The machine's own runtime is still the choice the bounds lead to.
        found = self.search_machine("Maximum Version=17", env)
        self.assertEqual(os.path.realpath(found),
                         "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so")
        self.assertIsNone(self.search_machine("Minimum Version=100", env))

    def test_java_home_is_the_last_source_and_passes_the_bounds(self):
        unpacked = make_posix_runtime(self.home, "jdk-unpacked", "101.0.1", ("server",),
                                      jdk=True)
        env = {"JAVA_HOME": unpacked, "HOME": self.home}
        self.assertEqual(self.search_machine("Minimum Version=101", env), library(unpacked))
        self.assertIsNone(self.search_machine("Minimum Version=102", env))
        # A registered runtime inside the bounds comes first.
        self.assertEqual(os.path.realpath(self.search_machine("Maximum Version=17", env)),
                         "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so")


class Trace(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="launcher-trace-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.trace = os.path.join(self.folder, "trace.log")

    def probe(self, main_class="probe.Environment", **kwargs):
        app = ProbeApp(main_class, **kwargs)
        self.addCleanup(app.remove)
        return app

    def read_trace(self):
        with open(self.trace, encoding="utf-8") as f:
            return f.read()

    def test_a_normal_start_names_settings_source_choice_environment_options_and_exit(self):
        app = self.probe("probe.Exit", runtime="search",
                         runtime_section="Maximum Version=17\n")
        result = app.run(["3"], env={"JL_TRACE": self.trace})
        self.assertEqual(result.exit_code, 3, result.stderr)
        trace = self.read_trace()
        for text in ["settings file " + app.app.ini_path,
                     "setting [Java Runtime Environment] Maximum Version=17 (from the file)",
                     "runtime search: JRE Path: not set",
                     "runtime search: beside the launcher: no Java home",
                     "runtime search: Software\\JavaSoft\\Java Development Kit\\ (native view): ",
                     "above the maximum 17",
                     "runtime search: Software\\IBM\\Java2 Runtime Environment\\ (native view): "
                     "not searched",
                     "runtime search: ranking (favored first, newest first):",
                     ": top of the ranking",
                     "VM library /usr/lib/jvm/",
                     "environment: JL_JVM_HOME=/usr/lib/jvm/",
                     "VM options (", "-Djava.class.path=",
                     "main class probe/Exit", "arguments (1):\n  3",
                     "exit code 3 (the program called System.exit)"]:
            self.assertIn(text, trace)
        # Each line starts with the milliseconds since the process started, in order.
        stamps = [float(line[1:line.index(" ms]")]) for line in trace.splitlines()
                  if line.startswith("[")]
        self.assertEqual(stamps, sorted(stamps))
        self.assertLess(stamps[0], 10000)

    def test_a_start_that_finds_nothing_says_why_for_every_source(self):
        app = self.probe(runtime="search", runtime_section="Minimum Version=99\n")
        result = app.run(env={"JL_TRACE": self.trace, "JAVA_HOME": jdk_home()})
        self.assertEqual(result.exit_code, FAILED)
        trace = self.read_trace()
        self.assertIn("below the minimum 99", trace)
        self.assertIn("runtime search: JAVA_HOME: rejected 17.", trace)
        self.assertIn("runtime search: no runtime found", trace)
        self.assertIn("no VM library", trace)
        self.assertIn("exit code -1", trace)

    def test_a_wrong_jre_path_is_named_and_the_search_goes_on(self):
        wrong = os.path.join(self.folder, "no-runtime")
        os.makedirs(wrong)
        java8 = os.path.join(self.folder, "jre8")
        make_java8_home(java8, jdk_home())
        app = self.probe(runtime=wrong, runtime_section="JVM Type=server\nMaximum Version=1.8\n")
        result = app.run(env={"JL_TRACE": "1", "JAVA_HOME": java8,
                              "HOME": self.folder})
        self.assertEqual(result.exit_code, 0, result.stderr)
        self.assertIn("runtime search: JRE Path %s/: no VM library for JVM Type server" % wrong,
                      result.stderr)
        self.assertIn("above the maximum 1.8", result.stderr)
        self.assertIn("runtime search: JAVA_HOME: 1.8.0.402, JRE, JavaSoft, home %s/: VM library "
                      "%s/lib/amd64/server/libjvm.so" % (java8, java8), result.stderr)
        self.assertEqual(app.values()["JL_JVM_HOME"], java8)

    def test_an_unwritable_trace_changes_nothing_else(self):
        outcomes = []
        for trace in (None, os.path.join(self.folder, "missing", "trace.log"), self.folder):
            app = self.probe("probe.Args")
            env = {"JL_TRACE": trace} if trace else {}
            result = app.run(["a", "b c"], env=env)
            outcomes.append((result.exit_code, result.stdout, result.stderr, app.lines()))
        self.assertEqual(outcomes[0], (0, "", "", ["a", "b c"]))
        self.assertEqual(outcomes[1], outcomes[0])
        self.assertEqual(outcomes[2], outcomes[0])


if __name__ == "__main__":
    unittest.main()
