"""Runtimes outside the system folders on the POSIX build, and the diagnostic trace: a runtime
named only by JAVA_HOME, runtimes that tools unpack below the user's home, and JL_TRACE for a
normal start, a start that finds nothing, a start whose "JRE Path" is wrong, the folders the
search scans and what it skipped there, and where the trace may and may not be written."""

import os
import shutil
import stat
import subprocess
import tempfile
import unittest

from harness import posix_environment
from java_app import ProbeApp, jdk_home, vm_sanitizer_env
from runtimes import make_java8_home, make_posix_home, make_posix_runtime, write_file
from test_runtime_search_posix import InventoryTest, library

SYSTEM_FOLDERS = ("/usr/lib/jvm/", "/usr/lib64/jvm/", "/usr/java/", "/usr/local/java/",
                  "/opt/java/")
USER_FOLDERS = (".sdkman/candidates/java/", ".jdks/", ".gradle/jdks/")

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
                     "runtime search: folder /usr/lib/jvm/: ",
                     "above the maximum 17",
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
        self.assertNotIn("0.0.0.0", trace)
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

    def test_a_linux_start_names_every_folder_and_why_each_runtime_was_skipped(self):
        home = os.path.join(self.folder, "home")
        jdks = os.path.join(home, ".jdks")
        make_posix_runtime(jdks, "jre-8-i386", "1.8.0_402", ("client",), arch="i386")
        make_posix_runtime(jdks, "ibm-jdk-11", "11.0.2", ("server",), jdk=True,
                           implementor="IBM Corporation")
        make_posix_runtime(jdks, "jre-11", "11.0.3", ("server",))
        make_posix_runtime(jdks, "jdk-16", "16", (), jdk=True)
        make_posix_home(os.path.join(jdks, "no-release"), ("server",))
        write_file(os.path.join(jdks, "notes.txt"))
        make_posix_runtime(os.path.join(home, ".sdkman", "candidates", "java"), "21.0.1-tem",
                           "21.0.1", ("server",), jdk=True)
        app = self.probe(runtime="search",
                         runtime_section="Maximum Version=17\nJVM Source=only_JDK\n")
        result = app.run(env={"JL_TRACE": self.trace, "HOME": home})
        self.assertEqual(result.exit_code, 0, result.stderr)
        trace = self.read_trace()
        for text in [
                "skipped %s/no-release/: no release file" % jdks,
                "skipped %s/notes.txt: not a folder" % jdks,
                "rejected 1.8.0.402, JRE, JavaSoft, home %s/jre-8-i386/: a 32-bit x86 runtime, "
                "and no \"Pair Product\" is set to run it" % jdks,
                "rejected 11.0.2, JDK, IBM, home %s/ibm-jdk-11/: \"VM Provider\" does not admit "
                "IBM runtimes" % jdks,
                "rejected 11.0.3, JRE, JavaSoft, home %s/jre-11/: \"JVM Source\" does not admit "
                "a JRE" % jdks,
                "rejected 16.0, JDK, JavaSoft, home %s/jdk-16/: no VM library for JVM Type "
                "client" % jdks,
                "rejected 21.0.1, JDK, JavaSoft, home %s/.sdkman/candidates/java/21.0.1-tem/: "
                "version 21.0.1 above the maximum 17" % home,
                "runtime search: folder %s/.gradle/jdks/: no such folder" % home,
                "chosen 17."]:
            self.assertIn(text, trace)
        # Every folder is named, and every entry of the real ones.
        for folder in SYSTEM_FOLDERS + tuple(os.path.join(home, f) for f in USER_FOLDERS):
            self.assertIn("runtime search: folder %s: " % folder, trace)
            if os.path.isdir(folder):
                for name in os.listdir(folder):
                    self.assertIn(" %s%s" % (folder, name), trace)
        for registry_word in ("Software\\", "native view", "records"):
            self.assertNotIn(registry_word, trace)

    def test_java_home_faults_are_named(self):
        bare = os.path.join(self.folder, "bare")
        os.makedirs(os.path.join(bare, "bin"))
        no_library = make_posix_runtime(self.folder, "jdk-99", "99.1", (), jdk=True)
        no_release = make_posix_home(os.path.join(self.folder, "no-release"), ("server",))
        cases = [
            ("/nonexistent", "JAVA_HOME /nonexistent/: no such folder"),
            (bare, "JAVA_HOME %s/: no release file, so its version is unknown and cannot meet "
                   "the minimum 99.0; no VM library for JVM Type client" % bare),
            (no_library, "JAVA_HOME %s/: no VM library for JVM Type client" % no_library),
            (no_release, "JAVA_HOME %s/: no release file, so its version is unknown and cannot "
                         "meet the minimum 99.0" % no_release),
        ]
        app = self.probe(runtime="search", runtime_section="Minimum Version=99\n")
        for java_home, line in cases:
            with self.subTest(java_home=java_home):
                result = app.run(env={"JL_TRACE": "1", "JAVA_HOME": java_home,
                                      "HOME": self.folder})
                self.assertEqual(result.exit_code, FAILED)
                self.assertIn("runtime search: " + line + "\n", result.stderr)
                self.assertNotIn("0.0.0.0", result.stderr)

    def test_a_fifo_as_the_trace_does_not_stop_the_start(self):
        fifo = os.path.join(self.folder, "fifo")
        os.mkfifo(fifo)
        app = self.probe("probe.Args")
        # No reader: the trace is dropped at once; a hang would end in the harness's timeout.
        result = app.run(["a"], env={"JL_TRACE": fifo}, timeout=60)
        self.assertEqual((result.exit_code, result.stderr, app.lines()), (0, "", ["a"]))

    def test_the_default_trace_file_is_the_users_own_and_never_a_planted_link(self):
        app = self.probe("probe.Args")
        name = os.path.basename(app.app.path) + ".trace.log"
        runtime = os.path.join(self.folder, "run")
        shared = os.path.join(self.folder, "shared")
        os.makedirs(runtime, mode=0o700)
        os.makedirs(shared)
        os.chmod(shared, 0o1777)
        victim = os.path.join(self.folder, "victim")
        with open(victim, "w") as f:
            f.write("keep\n")

        def start(env):
            """A start without standard error, as from a desktop menu."""
            full_env = posix_environment(dict(env, JL_TRACE="1", HOME=self.folder,
                                              **vm_sanitizer_env()))
            full_env.pop("XDG_CACHE_HOME", None)
            if "XDG_RUNTIME_DIR" not in env:
                full_env.pop("XDG_RUNTIME_DIR", None)
            completed = subprocess.run([app.app.path, "x"], env=full_env, timeout=60,
                                       stdout=subprocess.PIPE, preexec_fn=lambda: os.close(2))
            self.assertEqual(completed.returncode, 0)

        start({"XDG_RUNTIME_DIR": runtime, "TMPDIR": shared})
        written = os.path.join(runtime, name)
        with open(written) as f:
            self.assertIn("trace of " + app.app.path, f.read())
        self.assertEqual(stat.S_IMODE(os.stat(written).st_mode), 0o600)
        self.assertFalse(os.path.exists(os.path.join(shared, name)))

        # Without a folder of the user's own the shared one is used, but not through a link.
        os.remove(written)
        for folder in (runtime, shared):
            os.symlink(victim, os.path.join(folder, name))
        start({"XDG_RUNTIME_DIR": runtime, "TMPDIR": shared})
        start({"TMPDIR": shared})
        with open(victim) as f:
            self.assertEqual(f.read(), "keep\n")
        self.assertEqual(app.lines(), ["x"] * 3)

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
