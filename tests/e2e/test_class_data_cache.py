"""The class-data cache on the real VM, Java 17 and Java 25: the first start records its classes
and a job in the background makes the archive from them, which the next start maps; a changed jar, another runtime or another class path gets an archive of its own;
starts at the same moment, an unusable cache folder and a damaged archive all give a correct,
silent start; with the setting off the VM options are exactly those of a start without it."""

import concurrent.futures
import glob
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from java_app import ProbeApp, java_file, jdk_home

JAVA_25 = os.environ.get("LAUNCHER_JDK25_HOME", "/usr/lib/jvm/temurin-25-jdk-amd64")
FROM_ARCHIVE = "source: shared objects file"


def release_version(home):
    with open(os.path.join(home, "release"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("JAVA_VERSION="):
                return line.split("=", 1)[1].strip().strip('"')
    return ""


class ClassDataCache(unittest.TestCase):
    RUNTIMES = (("17", jdk_home()), ("25", JAVA_25))

    @classmethod
    def setUpClass(cls):
        for feature, home in cls.RUNTIMES:
            if not release_version(home).startswith(feature + "."):
                raise AssertionError("a Java %s runtime is needed at %s" % (feature, home))

    def setUp(self):
        self.cache = tempfile.mkdtemp(prefix="launcher-cache-")
        self.addCleanup(shutil.rmtree, self.cache, True)

    def probe(self, runtime, main_class="probe.Args", cache="yes", vm_parameters="",
              class_path="probe.jar"):
        # %LOG% lets one run ask the VM for its class-loading log without changing the settings.
        app = ProbeApp(main_class, runtime=runtime, class_path=class_path,
                       vm_parameters="%LOG% " + vm_parameters,
                       runtime_section="Class Data Cache=%s\n" % cache)
        self.addCleanup(app.remove)
        return app

    def start(self, app, args=("a", "b"), cache=None, log="-Dlog=off"):
        if os.path.exists(app.out):
            os.remove(app.out)
        result = app.run(list(args), env={"XDG_CACHE_HOME": cache or self.cache, "LOG": log})
        self.assertEqual(result.exit_code, 0, result.stderr)
        return result

    def start_silently(self, app, **kwargs):
        result = self.start(app, **kwargs)
        # Nothing of the VM's archive handling reaches the program's output.
        self.assertEqual((result.stdout, result.stderr), ("", ""))
        self.assertEqual(app.lines(), ["a", "b"])
        return result

    def archives(self, wait=True):
        """The cache's files once the archive jobs have ended (no class list or job marker is
        left)."""
        pattern = os.path.join(self.cache, "java-launcher", "class-data", "*", "*")
        deadline = time.monotonic() + 120
        while wait and time.monotonic() < deadline and any(
                not name.endswith((".jsa", ".failed")) for name in glob.glob(pattern)):
            time.sleep(0.1)
        return sorted(glob.glob(pattern))

    def loads_from_archive(self, app):
        result = self.start(app, log="-Xlog:class+load")
        self.assertEqual(app.lines(), ["a", "b"])
        return "probe.Args " + FROM_ARCHIVE in result.stdout

    def test_the_first_start_makes_the_archive_and_the_next_maps_it(self):
        for feature, home in self.RUNTIMES:
            with self.subTest(java=feature):
                self.setUp()
                app = self.probe(home)
                self.start_silently(app)
                made = self.archives()
                self.assertEqual(len(made), 1, made)
                self.assertTrue(made[0].endswith("-%d.jsa" % os.path.getsize(made[0])), made)
                self.assertTrue(self.loads_from_archive(app))
                self.start_silently(app)
                self.assertEqual(self.archives(), made)
                # The trace names the archive it maps.
                trace = os.path.join(self.cache, "trace.log")
                app.run(["a", "b"], env={"XDG_CACHE_HOME": self.cache, "LOG": "-Dlog=off",
                                         "JL_TRACE": trace})
                with open(trace, encoding="utf-8") as f:
                    self.assertIn("class-data cache: archive " + made[0] + "\n", f.read())

    def test_the_archive_is_made_when_the_program_ends_through_system_exit(self):
        for feature, home in self.RUNTIMES:
            with self.subTest(java=feature):
                self.setUp()
                app = self.probe(home, main_class="probe.Exit")
                result = app.run(["7"], env={"XDG_CACHE_HOME": self.cache, "LOG": "-Dlog=off"})
                self.assertEqual((result.exit_code, result.stdout, result.stderr), (7, "", ""))
                self.assertEqual(len(self.archives()), 1)
                result = app.run(["0"], env={"XDG_CACHE_HOME": self.cache,
                                             "LOG": "-Xlog:class+load"})
                self.assertEqual(result.exit_code, 0)
                self.assertIn("probe.Exit " + FROM_ARCHIVE, result.stdout)

    def test_single_instance_mode_still_ends_its_session_when_the_program_calls_exit(self):
        app = ProbeApp("probe.Exit", runtime=jdk_home(), vm_parameters="%LOG%",
                       runtime_section="Class Data Cache=yes\n",
                       application_section="Single Instance=yes\n")
        self.addCleanup(app.remove)
        blocks = set(os.listdir("/dev/shm"))
        result = app.run(["7"], env={"XDG_CACHE_HOME": self.cache, "LOG": "-Dlog=off"})
        self.assertEqual((result.exit_code, result.stderr), (7, ""))
        self.assertEqual(len(self.archives()), 1)
        # The first start's shared block goes with it: its exit hook was handed on.
        self.assertEqual(set(os.listdir("/dev/shm")) - blocks, set())

    def test_a_changed_jar_another_runtime_or_class_path_gets_its_own_archive(self):
        app = self.probe(jdk_home())
        self.start_silently(app)
        seen = [self.archives()]

        def changed(step):
            step()
            self.start_silently(app)
            now = self.archives()
            # The new archive replaces the old one in the application's folder.
            self.assertEqual(len(now), 1, now)
            self.assertNotIn(now, seen)
            seen.append(now)
            self.assertTrue(self.loads_from_archive(app))

        jar = app.file("probe.jar")
        with self.subTest("changed jar"):
            changed(lambda: os.utime(jar, (1, 1)))
        with self.subTest("other runtime"):
            changed(lambda: self.set_runtime(app, JAVA_25))
        with self.subTest("other class path"):
            shutil.copy(java_file("probe-extra.jar"), app.file("probe-extra.jar"))
            changed(lambda: self.set_class_path(app, "probe.jar;probe-extra.jar"))

    @staticmethod
    def rewrite_ini(app, old, new):
        with open(app.app.ini_path, encoding="utf-8") as f:
            text = f.read()
        assert old in text
        app.app.write_ini(text.replace(old, new))

    def set_runtime(self, app, home):
        self.rewrite_ini(app, "JRE Path=%s" % jdk_home(), "JRE Path=%s" % home)

    def set_class_path(self, app, class_path):
        self.rewrite_ini(app, "Class Path=probe.jar", "Class Path=" + class_path)

    def test_starts_at_the_same_moment_all_succeed(self):
        for feature, home in self.RUNTIMES:
            with self.subTest(java=feature):
                self.setUp()
                app = self.probe(home)
                apps = [app] * 4
                with concurrent.futures.ThreadPoolExecutor(4) as pool:
                    results = list(pool.map(
                        lambda app: app.run(["a", "b"], env={"XDG_CACHE_HOME": self.cache,
                                                             "LOG": "-Dlog=off"}), apps))
                for result in results:
                    self.assertEqual((result.exit_code, result.stdout, result.stderr), (0, "", ""))
                made = self.archives()
                self.assertTrue(made and all(name.endswith(".jsa") for name in made), made)
                self.assertTrue(self.loads_from_archive(apps[0]))

    def test_an_unusable_cache_folder_gives_an_ordinary_start(self):
        blocker = os.path.join(self.cache, "a-file")
        with open(blocker, "w") as f:
            f.write("not a folder")
        for feature, home in self.RUNTIMES:
            for cache in (blocker, "/proc/self"):
                with self.subTest(java=feature, cache=cache):
                    app = self.probe(home, main_class="probe.VmArguments")
                    self.start(app, cache=cache)
                    self.assertEqual(app.lines(), self.plain_options(app, []))
                    self.assertEqual(self.archives(), [])

    def test_a_runtime_without_its_own_archives_starts_as_without_the_cache(self):
        # A runtime made by jlink carries no class-data archive of its own unless asked to;
        # Java 17 would refuse to start when told to write one.
        runtime = os.path.join(self.cache, "runtime")
        subprocess.run([os.path.join(jdk_home(), "bin", "jlink"), "--add-modules",
                        "java.base,java.management", "--output", runtime], check=True)
        self.assertFalse(glob.glob(os.path.join(runtime, "lib", "server", "*.jsa")))
        app = self.probe(runtime, main_class="probe.VmArguments")
        self.start(app)
        self.assertEqual(app.lines(), self.plain_options(app, []))
        self.assertEqual(self.archives(), [])

    def test_a_truncated_or_damaged_archive_gives_a_correct_silent_start(self):
        for feature, home in self.RUNTIMES:
            with self.subTest(java=feature):
                self.setUp()
                app = self.probe(home)
                self.start_silently(app)
                archive = self.archives()[0]
                os.chmod(archive, 0o644)
                with open(archive, "r+b") as f:
                    f.truncate(os.path.getsize(archive) // 2)
                self.start_silently(app)
                # The damaged archive was put aside and a complete one made.
                remade = self.archives()
                self.assertEqual(len(remade), 1, remade)
                self.assertTrue(self.loads_from_archive(app))
                archive = remade[0]

                with open(archive, "r+b") as f:
                    f.write(b"\x5a" * 64)
                self.start_silently(app)
                self.assertFalse(self.loads_from_archive(app))

    def test_with_the_setting_off_or_the_user_deciding_the_options_stay_as_before(self):
        for feature, home in self.RUNTIMES:
            for cache, parameters in (("no", ""), ("", ""), ("yes", "-Xshare:auto"),
                                      ("yes", "-XX:SharedArchiveFile=/nowhere.jsa")):
                with self.subTest(java=feature, cache=cache, parameters=parameters):
                    app = self.probe(home, "probe.VmArguments", cache, parameters)
                    self.start(app)
                    self.assertEqual(app.lines(), self.plain_options(app, parameters.split()))
                    self.assertEqual(self.archives(), [])

        app = self.probe(jdk_home(), "probe.VmArguments", "yes", "-Xmx256m")
        self.start(app)
        options = self.plain_options(app, ["-Xmx256m"])
        pending = os.path.join(self.cache, "java-launcher", "class-data", "tool.ini-")
        self.assertRegex(app.lines()[0], r"^-XX:DumpLoadedClassList=%s[0-9a-f]{16}/[0-9a-f]{16}"
                         r"\.\d+-\d+\.classes$" % pending)
        options[0:0] = [app.lines()[0]]
        self.assertEqual(app.lines(), options)

    @staticmethod
    def plain_options(app, parameters):
        # The VM does not list the class-path option among its input arguments.
        return ["-Dprobe.out=" + app.out, "-Dlog=off"] + parameters + ["abort", "exit"]

if __name__ == "__main__":
    unittest.main()
