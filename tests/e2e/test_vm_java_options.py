"""VM options, the runtime environment, the main thread, the threads after main and the
output files of a Java program started by the POSIX launcher on the real VM."""

import datetime
import os
import re
import unittest

from java_app import ProbeApp, jdk_home


def physical_kilobytes():
    return os.sysconf("SC_PHYS_PAGES") * os.sysconf("SC_PAGE_SIZE") >> 10


class JavaOptions(unittest.TestCase):
    def probe(self, *args, **kwargs):
        app = ProbeApp(*args, **kwargs)
        self.addCleanup(app.remove)
        return app

    def run_ok(self, app, args=()):
        result = app.run(args)
        self.assertEqual(result.exit_code, 0, result.stderr)
        return result

    def test_relative_memory_sizes_are_taken_of_the_real_physical_memory(self):
        app = self.probe("probe.VmArguments", vm_parameters="-Xmx50:256:1024P -Xms3p")
        self.run_ok(app)
        kilobytes = physical_kilobytes()
        maximum = min(max(int(kilobytes * 0.5), 256 * 1024), 1024 * 1024)
        initial = int(kilobytes * (3 / 100))
        options = app.lines()
        self.assertIn("-Xmx%dK" % maximum, options)
        self.assertIn("-Xms%dK" % initial, options)
        # The user's parameters come in their order, the two hooks last.
        self.assertEqual(options[-2:], ["abort", "exit"])
        self.assertLess(options.index("-Xmx%dK" % maximum), options.index("-Xms%dK" % initial))

    def test_the_stack_size_of_xss_reaches_the_main_thread(self):
        depths = {}
        for size in ("512k", "64m"):
            app = self.probe("probe.Depth", vm_parameters="-Xss" + size)
            self.run_ok(app)
            depths[size] = int(app.values()["depth"])
        # 128 times the stack; the frames of compiled and interpreted code differ in size, so
        # only a wide margin is asked for.
        self.assertGreater(depths["64m"], 16 * depths["512k"], depths)

    def test_the_program_sees_the_runtime_variables_and_the_library_path(self):
        app = self.probe("probe.Environment",
                         runtime_section="Library Path=%NATIVE_DIR%\n")
        self.run_ok_with_env(app, {"NATIVE_DIR": "/opt/native"})
        values = app.values()
        home = jdk_home()
        self.assertEqual(values["JL_JVM_PATH"], home + "/lib/server/libjvm.so")
        self.assertEqual(values["JL_JVM_HOME"], home)
        self.assertEqual(values["java.home"], home)
        library_path = values["java.library.path"]
        self.assertTrue(library_path.startswith("/opt/native"), library_path)
        self.assertIn(app.file(""), library_path)
        self.assertIn(home + "/bin", values["PATH"].split(":"))

    def run_ok_with_env(self, app, env):
        result = app.run(env=env)
        self.assertEqual(result.exit_code, 0, result.stderr)

    def test_a_runtime_found_on_the_machine_runs_the_program(self):
        app = self.probe("probe.Environment", runtime="search",
                         runtime_section="Minimum Version=11\nJVM Type=server\n")
        self.run_ok(app)
        values = app.values()
        self.assertTrue(values["JL_JVM_PATH"].endswith("/lib/server/libjvm.so"), values)
        self.assertEqual(values["java.home"], values["JL_JVM_HOME"])

    def test_a_non_daemon_thread_outlives_main(self):
        app = self.probe("probe.Linger")
        self.run_ok(app)
        self.assertEqual(app.lines(), ["main returned", "worker finished"])

    def test_the_ibm_provider_settings_keep_the_process_until_system_exit(self):
        for provider, code, lines in (("any", 42, ["main returned", "exiting"]),
                                      ("favor_ibm", 42, ["main returned", "exiting"]),
                                      ("", 0, ["main returned"])):
            with self.subTest(provider=provider):
                app = self.probe("probe.ExitLater",
                                 runtime_section="VM Provider=%s\n" % provider)
                self.assertEqual(app.run(["42"]).exit_code, code)
                self.assertEqual(app.lines(), lines)

    def test_output_files_carry_the_time_stamp_and_their_folders_are_made(self):
        app = self.probe("probe.Streams", application_section=(
            "Output File=logs/day/out-%yyyyMMdd-HHmmss-L%.txt\n"
            "Error File=logs/err-%yyyyMMdd%.txt\n"))
        before = datetime.date.today()
        result = self.run_ok(app)
        days = {d.strftime("%Y%m%d") for d in (before, datetime.date.today())}
        self.assertEqual(result.stdout, "")
        out_names = os.listdir(app.file("logs", "day"))
        self.assertEqual(len(out_names), 1, out_names)
        match = re.fullmatch(r"out-(\d{8})-\d{6}-\d{1,3}\.txt", out_names[0])
        self.assertTrue(match and match.group(1) in days, out_names)
        with open(app.file("logs", "day", out_names[0])) as f:
            self.assertEqual(f.read(), "to standard output\n")
        err_names = [n for n in os.listdir(app.file("logs")) if n.startswith("err-")]
        self.assertEqual(len(err_names), 1)
        self.assertIn(err_names[0][4:12], days)
        with open(app.file("logs", err_names[0])) as f:
            self.assertEqual(f.read(), "to standard error\n")

    def test_only_a_lower_case_yes_appends_to_the_output_file(self):
        for append, expected in (("yes", 2), ("Yes", 1)):
            with self.subTest(append=append):
                app = self.probe("probe.Streams", application_section=(
                    "Output File=out.txt\nOutput Append=%s\n" % append))
                self.run_ok(app)
                self.run_ok(app)
                with open(app.file("out.txt")) as f:
                    self.assertEqual(f.read().count("to standard output"), expected)

    def test_an_unwritable_output_file_leaves_the_streams_as_they_were(self):
        app = self.probe("probe.Streams", application_section=(
            "Output File=/proc/not-writable/out.txt\nError File=err.txt\n"))
        result = self.run_ok(app)
        self.assertEqual(result.stdout, "to standard output\n")
        self.assertIn("FileNotFoundException", result.stderr)
        with open(app.file("err.txt")) as f:
            self.assertEqual(f.read(), "to standard error\n")


if __name__ == "__main__":
    unittest.main()
