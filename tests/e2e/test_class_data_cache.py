"""The class-data cache on the real VM, Java 17 and Java 25: the first start records its classes
and a job in the background makes the archive from them, which the next start maps; a changed jar, another runtime or another class path gets an archive of its own;
starts at the same moment, an unusable cache folder and a damaged archive all give a correct,
silent start; with the setting off the VM options are exactly those of a start without it."""

import concurrent.futures
import glob
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest
import zipfile

from java_app import ProbeApp, java_file, jdk_home

JAVA_25 = os.environ.get("LAUNCHER_JDK25_HOME", "/usr/lib/jvm/temurin-25-jdk-amd64")
FROM_ARCHIVE = "source: shared objects file"
ARCHIVE = re.compile(r"^[0-9a-f]{16}-\d+-[0-9a-f]{16}\.jsa$")
TEMPORARY = re.compile(r"^[0-9a-f]{16}\.(making|\d+-\d+\.(classes|tmp|job))$")


def release_version(home):
    with open(os.path.join(home, "release"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("JAVA_VERSION="):
                return line.split("=", 1)[1].strip().strip('"')
    return ""


def make_jar(work, word):
    """A jar whose swap.Main prints "app says <word>"; jars of words of one length have one
    size (stored, fixed entry times)."""
    source = os.path.join(work, word, "swap", "Main.java")
    os.makedirs(os.path.dirname(source))
    with open(source, "w") as f:
        f.write('package swap;\npublic final class Main {\n    public static void main(String[] a) '
                '{\n        System.out.println("app says %s");\n    }\n}\n' % word)
    subprocess.run([os.path.join(jdk_home(), "bin", "javac"), "--release", "11", source],
                   check=True)
    jar = os.path.join(work, word + ".jar")
    with zipfile.ZipFile(jar, "w", zipfile.ZIP_STORED) as archive:
        entry = zipfile.ZipInfo("swap/Main.class", date_time=(2020, 1, 1, 0, 0, 0))
        with open(source[:-len(".java")] + ".class", "rb") as f:
            archive.writestr(entry, f.read())
    return jar


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
        """The cache's files once the archive jobs have ended (no class list, job file,
        temporary archive or job marker is left)."""
        pattern = os.path.join(self.cache, "java-launcher", "class-data", "*", "*")
        deadline = time.monotonic() + 120
        while wait and time.monotonic() < deadline and any(
                TEMPORARY.match(os.path.basename(name)) for name in glob.glob(pattern)):
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
                self.assertRegex(made[0], r"-%d-[0-9a-f]{16}\.jsa$" % os.path.getsize(made[0]))
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
        # The VM gets the launcher's open class list through a name it cannot lose.
        self.assertRegex(app.lines()[0], r"^-XX:DumpLoadedClassList=/proc/self/fd/\d+$")
        self.assertRegex(" ".join(os.listdir(glob.glob(pending + "*")[0])),
                         r"[0-9a-f]{16}\.\d+-\d+\.classes")
        options[0:0] = [app.lines()[0]]
        self.assertEqual(app.lines(), options)

    def folder_of(self, app):
        """The application's cache folder."""
        folders = glob.glob(os.path.join(self.cache, "java-launcher", "class-data", "tool.ini-*"))
        self.assertEqual(len(folders), 1, folders)
        return folders[0]

    def test_a_jar_swapped_for_one_of_the_same_size_and_time_runs_its_new_code(self):
        work = tempfile.mkdtemp(prefix="swap-")
        self.addCleanup(shutil.rmtree, work, True)
        jars = {word: make_jar(work, word) for word in ("AAAA", "BBBB")}
        self.assertEqual(*[os.path.getsize(jar) for jar in jars.values()])
        for feature, home in self.RUNTIMES:
            with self.subTest(java=feature):
                self.setUp()
                app = self.probe(home, main_class="swap.Main", class_path="swap.jar")
                jar = app.file("swap.jar")
                shutil.copy2(jars["AAAA"], jar)
                self.assertEqual(self.start(app).stdout, "app says AAAA\n")
                self.archives()
                result = self.start(app, log="-Xlog:class+load")
                self.assertIn("swap.Main " + FROM_ARCHIVE, result.stdout)
                # Same size, same time, new classes: the launcher runs them, as java -cp does.
                stat = os.stat(jar)
                shutil.copy(jars["BBBB"], jar)
                os.utime(jar, ns=(stat.st_atime_ns, stat.st_mtime_ns))
                self.assertEqual(self.start(app).stdout, "app says BBBB\n")
                made = self.archives()
                self.assertEqual(len(made), 1, made)
                result = self.start(app, log="-Xlog:class+load")
                self.assertIn("swap.Main " + FROM_ARCHIVE, result.stdout)
                self.assertIn("app says BBBB\n", result.stdout)

    def test_a_damaged_swapped_or_foreign_archive_is_replaced_and_the_next_start_maps_it(self):
        def damaged(archive):
            with open(archive, "r+b") as f:
                f.write(b"\x5a" * 64)

        def cut_and_renamed(archive):
            with open(archive, "r+b") as f:
                f.truncate(os.path.getsize(archive) // 2)
            key, _, digest = os.path.basename(archive).split("-")
            os.rename(archive, os.path.join(os.path.dirname(archive), "%s-%d-%s" % (
                key, os.path.getsize(archive), digest)))

        for feature, home in self.RUNTIMES:
            other_home = JAVA_25 if home != JAVA_25 else jdk_home()
            for spoil in ("damaged", "cut and renamed", "another application's",
                          "another runtime's"):
                with self.subTest(java=feature, archive=spoil):
                    self.setUp()
                    app = self.probe(home)
                    self.start_silently(app)
                    archive = self.archives()[0]
                    os.chmod(archive, 0o644)
                    if spoil == "damaged":
                        damaged(archive)
                    elif spoil == "cut and renamed":
                        cut_and_renamed(archive)
                    else:
                        self.copy_foreign_archive(archive, other_home if "runtime" in spoil
                                                  else home, "runtime" not in spoil)
                    spoiled = self.archives(wait=False)
                    # A correct, silent start that records its classes again; its job makes a
                    # new archive, which the next start maps.
                    self.start_silently(app)
                    remade = self.archives()
                    self.assertEqual(len(remade), 1, remade)
                    self.assertTrue(self.loads_from_archive(app))
                    self.assertTrue(spoiled)
                    with open(remade[0], "rb") as f:
                        self.assertNotEqual(f.read(64), b"\x5a" * 64)

    def copy_foreign_archive(self, archive, home, other_class_path):
        """Replaces archive by one the cache made for another application or runtime."""
        cache = tempfile.mkdtemp(prefix="launcher-cache-other-")
        self.addCleanup(shutil.rmtree, cache, True)
        other = self.probe(home, class_path="probe.jar;probe-extra.jar" if other_class_path
                           else "probe.jar")
        shutil.copy(java_file("probe-extra.jar"), other.file("probe-extra.jar"))
        self.start(other, cache=cache)
        pattern = os.path.join(cache, "java-launcher", "class-data", "*", "*.jsa")
        deadline = time.monotonic() + 120
        while not glob.glob(pattern) and time.monotonic() < deadline:
            time.sleep(0.1)
        shutil.copy(glob.glob(pattern)[0], archive)

    def test_java_options_in_the_environment_do_not_stop_the_build(self):
        for feature, home in self.RUNTIMES:
            with self.subTest(java=feature):
                self.setUp()
                app = self.probe(home)
                result = app.run(["a", "b"], env={
                    "XDG_CACHE_HOME": self.cache, "LOG": "-Dlog=off",
                    "JDK_JAVA_OPTIONS": "--limit-modules=java.base"})
                self.assertEqual((result.exit_code, result.stderr), (0, ""))
                made = self.archives()
                self.assertEqual([name.endswith(".jsa") for name in made], [True], made)
                self.assertTrue(self.loads_from_archive(app))

    def test_clean_up_keeps_the_users_files_and_removes_what_killed_processes_left(self):
        app = self.probe(jdk_home())
        self.start_silently(app)
        folder = self.folder_of(app)
        made = self.archives()
        users = ["notes.txt", "mine.jsa", "0123456789abcdef.failed.bak", "old.tmp"]
        for name in users:
            with open(os.path.join(folder, name), "w") as f:
                f.write("the user's")
            os.utime(os.path.join(folder, name), (1, 1))
        # A first start that was killed left its class list.
        dead = subprocess.Popen(["true"])
        dead.wait()
        killed_list = os.path.join(folder, "%s.%d-1.classes" % (
            os.path.basename(made[0])[:16], dead.pid))
        with open(killed_list, "w") as f:
            f.write("java/lang/Object id: 1\n")

        # A job killed while it builds leaves its temporary archive and its marker.
        os.utime(app.file("probe.jar"), (2, 2))
        self.start_silently(app)
        temporary = self.wait_for(lambda: glob.glob(os.path.join(folder, "*.tmp")))
        marker = glob.glob(os.path.join(folder, "*.making"))[0]
        with open(marker) as f:
            os.killpg(int(f.read()), signal.SIGKILL)
        time.sleep(0.5)
        self.assertTrue(os.path.exists(temporary[0]))

        # The next start finds the job gone, records its classes; its job removes all that.
        self.start_silently(app)
        left = [os.path.basename(name) for name in self.archives()]
        archives = [name for name in left if ARCHIVE.match(name)]
        self.assertEqual(len(archives), 1, left)
        self.assertEqual(sorted(set(left) - set(archives)), sorted(users))
        self.assertTrue(self.loads_from_archive(app))

    def wait_for(self, found, seconds=120):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = found()
            if value:
                return value
            time.sleep(0.005)
        self.fail("not seen in time")

    def test_a_cache_folder_removed_during_the_start_leaves_standard_error_empty(self):
        for feature, home in self.RUNTIMES:
            with self.subTest(java=feature):
                self.setUp()
                app = self.probe(home)
                root = os.path.join(self.cache, "java-launcher", "class-data")
                stop = threading.Event()

                def remove_folders():
                    while not stop.is_set():
                        shutil.rmtree(root, ignore_errors=True)
                        time.sleep(0.002)

                remover = threading.Thread(target=remove_folders)
                remover.start()
                try:
                    with concurrent.futures.ThreadPoolExecutor(2) as pool:
                        results = list(pool.map(lambda _: app.run(["a"], env={
                            "XDG_CACHE_HOME": self.cache, "LOG": "-Dlog=off"}), range(100)))
                finally:
                    stop.set()
                    remover.join()
                self.assertEqual([(r.exit_code, r.stderr) for r in results
                                  if (r.exit_code, r.stderr) != (0, "")], [])

    def test_the_trace_says_why_the_cache_is_off(self):
        app = self.probe(jdk_home())
        self.start_silently(app)
        folder = self.folder_of(app)
        archive = self.archives()[0]
        key = os.path.basename(archive)[:16]
        os.remove(archive)
        trace = os.path.join(self.cache, "trace.log")

        def reasons():
            if os.path.exists(trace):
                os.remove(trace)
            result = app.run(["a", "b"], env={"XDG_CACHE_HOME": self.cache, "LOG": "-Dlog=off",
                                              "JL_TRACE": trace})
            self.assertEqual(result.exit_code, 0)
            with open(trace, encoding="utf-8") as f:
                return [line.split("class-data cache: off: ", 1)[1]
                        for line in f.read().splitlines() if "class-data cache: off: " in line]

        with open(os.path.join(folder, key + ".failed"), "w") as f:
            f.write("3")
        until = time.strftime("%Y-%m-%d", time.gmtime(time.time() + 7 * 86400))
        self.assertRegex(" ".join(reasons()), r"^three failed builds of %s, no new one until %s "
                         r"\d\d:\d\d UTC$" % (key, until))
        os.remove(os.path.join(folder, key + ".failed"))
        with open(os.path.join(folder, key + ".making"), "w") as f:
            f.write(str(os.getpid()))
        self.assertEqual(reasons(), ["a build of %s is under way" % key])
        # A link in the folder's place: the cache neither uses nor cleans what it points to.
        users = tempfile.mkdtemp(prefix="users-", dir=self.cache)
        for name in ("mine.jsa", key + "-1-0123456789abcdef.jsa", key + ".1-1.tmp"):
            with open(os.path.join(users, name), "w") as f:
                f.write("the user's")
        shutil.rmtree(folder)
        os.symlink(users, folder)
        self.assertEqual(reasons(), ["the cache folder %s is a link" % folder])
        self.assertEqual(len(os.listdir(users)), 3)
        os.remove(folder)
        with open(folder, "w") as f:
            f.write("a file")
        self.assertEqual(reasons(), ["the cache folder %s is a file" % folder])

    @staticmethod
    def plain_options(app, parameters):
        # The VM does not list the class-path option among its input arguments.
        return ["-Dprobe.out=" + app.out, "-Dlog=off"] + parameters + ["abort", "exit"]

if __name__ == "__main__":
    unittest.main()
