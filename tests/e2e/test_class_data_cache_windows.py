"""The class-data cache of launcher.exe under Wine, through the test VM library, which writes the
class list it is asked for like a real VM (tests/tools/fake_jvm_win32.cpp), and a javaw.exe that
builds an archive from it (tests/tools/fake_java_win32.cpp): the options of each runtime version
band, the archive's place below %LOCALAPPDATA%, the archive built in the background after one
start and mapped on the next, and an unusable cache folder."""

import getpass
import os
import re
import shutil
import time
import unittest
import zipfile

from harness import to_windows_path, windows_build_path, wine_state_dir
from test_vm_windows import FakeVmApp

QUIET = ["-Xshare:auto", "-Xlog:cds*=off"]
TEMPORARY = re.compile(r"^[0-9a-f]{16}\.(making|\d+-\d+\.(classes|tmp|job))$")


def write_jar(path, content):
    """A jar of one stored entry, with a fixed entry time: contents of one length give jars
    of one size."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as jar:
        jar.writestr(zipfile.ZipInfo("a/A.class", date_time=(2020, 1, 1, 0, 0, 0)), content)


class ClassDataCacheUnderWine(unittest.TestCase):
    # Wine sets LOCALAPPDATA itself, to the user's folder in its prefix.
    USER = getpass.getuser()
    LOCAL_WINDOWS = "C:\\users\\%s\\AppData\\Local" % USER
    LOCAL = os.path.join(wine_state_dir(), "prefix", "drive_c", "users", USER, "AppData", "Local")
    ROOT = LOCAL_WINDOWS + "\\JavaLauncher\\ClassData\\"

    def fake_app(self, version, cache="yes", main_class="fake.Main"):
        app = FakeVmApp(main_class=main_class, vm_parameters="-Dx=1",
                        runtime_section="Class Data Cache=%s\n" % cache)
        self.addCleanup(app.remove)
        # A class path of jar files: the cache keeps a jar's size, time and central directory
        # in its key.
        write_jar(app.app.file("app.jar"), b"AAAA")
        with open(app.app.ini_path, encoding="utf-8") as f:
            app.app.write_ini(f.read().replace("C:\\app\\app.jar", "\\app.jar"))
        for name in ("classes.jsa", "classes_nocoops.jsa"):
            with open(app.app.file("jre", "bin", "server", name), "wb") as f:
                f.write(b"\0" * 64)
        shutil.copy(windows_build_path("tests", "tools", "fake_java.exe"),
                    app.app.file("jre", "bin", "javaw.exe"))
        if version:
            with open(app.app.file("jre", "release"), "w") as f:
                f.write('IMPLEMENTOR="Test"\nJAVA_VERSION="%s"\n' % version)
        return app

    def start(self, app, args=()):
        if os.path.exists(app.record_path):
            os.remove(app.record_path)
        result = app.run(list(args))
        options = app.entries("option")
        self.assertEqual(options[0], "-Djava.class.path=%s;" % to_windows_path(app.app.file("app.jar")))
        self.assertEqual(options[-3:], ["-Dx=1", "abort [hook]", "exit [hook]"])
        return result, options[1:-3]

    def cache_folder(self, option):
        """The application's folder that an option names: below LOCALAPPDATA, named after its
        settings file; removed when the test ends."""
        path = option.split("=", 1)[1]
        self.assertTrue(path.startswith(self.ROOT), path)
        name = path[len(self.ROOT):].split("\\")[0]
        self.assertRegex(name, r"^tool\.ini-[0-9a-f]{16}$")
        folder = os.path.join(self.LOCAL, "JavaLauncher", "ClassData", name)
        self.addCleanup(shutil.rmtree, folder, True)
        return self.ROOT + name, folder

    @staticmethod
    def finished_folder(folder):
        """The folder's files once the background job has ended (at most a minute)."""
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and any(
                TEMPORARY.match(name) for name in os.listdir(folder)):
            time.sleep(0.2)
        return sorted(os.listdir(folder))

    def test_a_swapped_jar_gets_a_new_archive_and_clean_up_keeps_the_users_files(self):
        app = self.fake_app("17.0.15")
        _, options = self.start(app)
        _, folder = self.cache_folder(options[-1])
        first, = self.finished_folder(folder)
        users = ["notes.txt", "mine.jsa", "0123456789abcdef.failed.bak", "old.tmp"]
        for name in users:
            with open(os.path.join(folder, name), "w") as f:
                f.write("the user's")
            os.utime(os.path.join(folder, name), (1, 1))
        # What a killed start and a killed job left (process ids that do not run).
        leftovers = ["%s.3999999999-1.classes" % first[:16], "0123456789abcdef.3999999998-1.tmp"]
        for name in leftovers:
            with open(os.path.join(folder, name), "w") as f:
                f.write("x")

        # The same size and time, another central directory: a new archive.
        jar = app.app.file("app.jar")
        stat = os.stat(jar)
        write_jar(jar, b"BBBB")
        os.utime(jar, ns=(stat.st_atime_ns, stat.st_mtime_ns))
        self.assertEqual(os.path.getsize(jar), stat.st_size)
        _, options = self.start(app)
        self.assertTrue(options[-1].startswith("-XX:DumpLoadedClassList="), options)
        left = self.finished_folder(folder)
        archives = [name for name in left if name.endswith(".jsa") and name != "mine.jsa"]
        self.assertEqual(len(archives), 1, left)
        self.assertNotEqual(archives[0][:16], first[:16])
        self.assertEqual(sorted(set(left) - set(archives)), sorted(users))

    def test_each_version_band_records_its_classes_and_the_archive_is_mapped_next_time(self):
        bands = {"13.0.2": [], "17.0.15": [], "21.0.1": [], "25.0.3": ["-Xlog:aot*=off"]}
        for version, quiet in bands.items():
            with self.subTest(version=version):
                app = self.fake_app(version)
                result, options = self.start(app)
                self.assertEqual(result.exit_code, 0, result.stderr[-2000:])
                windows_folder, folder = self.cache_folder(options[-1])
                class_list = options[-1].split("=", 1)[1]
                self.assertRegex(class_list, r"^%s\\[0-9a-f]{16}\.\d+-\d+\.classes$"
                                 % re.escape(windows_folder))
                self.assertEqual(options, ["-XX:DumpLoadedClassList=" + class_list])
                # The job built the archive from the list with the start's class path, and put
                # it in place under its size.
                key = re.search(r"([0-9a-f]{16})\.\d+-\d+\.classes$", class_list).group(1)
                archive, = self.finished_folder(folder)
                self.assertRegex(archive, r"^%s-4096-[0-9a-f]{16}\.jsa$" % key)
                stem = class_list[:-len(".classes")]
                class_path = "-Djava.class.path=" + to_windows_path(app.app.file("app.jar"))
                self.assertEqual(app.entries("dump"), ["|".join([
                    "-Xshare:dump", "-XX:SharedClassListFile=" + class_list,
                    "-XX:SharedArchiveFile=%s.tmp" % stem, class_path])])
                # Published only once a start that requires it has mapped it.
                self.assertEqual(app.entries("trial"), ["|".join([
                    "-Xshare:on", "-XX:SharedArchiveFile=%s.tmp" % stem, class_path,
                    "-version"])])

                result, options = self.start(app)
                self.assertEqual(result.exit_code, 0)
                self.assertEqual(options, QUIET + quiet + [
                    "-XX:SharedArchiveFile=%s\\%s" % (windows_folder, archive)])
                self.assertNotIn("class-list-written", app.record())

    def test_a_failed_build_leaves_only_its_count_and_three_stop_the_recording(self):
        app = self.fake_app("17.0.15")
        for count in (1, 2, 3):
            result = app.run([], env={"FAKE_JAVA_FAIL": "1"})
            self.assertEqual(result.exit_code, 0)
            options = app.entries("option")[1:-3]
            _, folder = self.cache_folder(options[-1])
            key = re.search(r"([0-9a-f]{16})\.\d+-\d+\.classes$", options[-1]).group(1)
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline and sorted(os.listdir(folder)) != [key + ".failed"]:
                time.sleep(0.2)
            self.assertEqual(os.listdir(folder), [key + ".failed"])
            with open(os.path.join(folder, key + ".failed")) as f:
                self.assertEqual(f.read(), str(count))
            os.remove(app.record_path)
        _, options = self.start(app)
        self.assertEqual(options, [])

    def test_old_runtimes_unknown_versions_and_the_setting_off_add_nothing(self):
        for version, cache in (("11.0.22", "yes"), ("1.8.0_202", "yes"), ("", "yes"),
                               ("17.0.15", "no"), ("17.0.15", "")):
            with self.subTest(version=version, cache=cache):
                app = self.fake_app(version, cache)
                result, options = self.start(app)
                self.assertEqual(result.exit_code, 0)
                self.assertEqual(options, [])

    def test_the_archive_is_made_when_the_program_calls_system_exit(self):
        app = self.fake_app("21.0.1", main_class="fake.Exit")
        result, options = self.start(app, args=["3"])
        self.assertEqual(result.exit_code, 3)
        _, folder = self.cache_folder(options[-1])
        self.assertRegex(" ".join(self.finished_folder(folder)),
                         r"^[0-9a-f]{16}-4096-[0-9a-f]{16}\.jsa$")

    def test_an_unusable_cache_folder_gives_an_ordinary_start(self):
        app = self.fake_app("21.0.1")
        _, options = self.start(app)
        _, folder = self.cache_folder(options[-1])
        self.finished_folder(folder)
        shutil.rmtree(folder)
        with open(folder, "w") as f:
            f.write("a file where the folder would be")
        self.addCleanup(os.remove, folder)
        result, options = self.start(app)
        self.assertEqual((result.exit_code, result.messages), (0, []))
        self.assertEqual(options, [])


if __name__ == "__main__":
    unittest.main()
