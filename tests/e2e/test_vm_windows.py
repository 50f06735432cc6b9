"""The Win32 side of VM hosting under Wine. No Windows Java runtime exists here, so the test
VM library (tests/tools/fake_jvm_win32.cpp) stands in for jvm.dll: it records what the
launcher hands it and simulates main classes; see that file for its switches."""

import os
import shutil
import unittest

from harness import App, to_windows_path, windows_build_path

FAILURE = 4294967295  # exit code -1
MIB = 1024 * 1024


def fake_library(name="fake_jvm.dll"):
    return windows_build_path("tests", "tools", name)


class FakeVmApp:
    """A launcher whose "JRE Path" names a runtime folder holding a test VM library."""

    def __init__(self, main_class="fake.Main", library=fake_library(), vm_parameters="",
                 runtime_section="", application_section=""):
        self.app = App("windows")
        self.library = self.app.file("jre", "bin", "server", "jvm.dll")
        os.makedirs(os.path.dirname(self.library))
        shutil.copy(library, self.library)
        self.record_path = self.app.file("record.txt")
        self.app.write_ini(
            "[Java Runtime Environment]\n"
            "JRE Path=%s\nJVM Type=server\nMain Class=%s\n"
            "Virtual Machine Parameters=%s\n%s"
            "[Class Path]\nClass Path=C:\\app\\app.jar\n"
            "[Application]\n%s" % (to_windows_path(self.app.file("jre")), main_class,
                                   vm_parameters, runtime_section, application_section))

    def run(self, args=(), env=None):
        full_env = {"FAKE_JVM_RECORD": to_windows_path(self.record_path)}
        full_env.update(env or {})
        return self.app.run(args, env=full_env)

    def record(self):
        if not os.path.exists(self.record_path):
            return []
        with open(self.record_path, encoding="utf-8") as f:
            return f.read().splitlines()

    def entries(self, kind):
        """The recorded lines of one kind ("option", "main-arg", ...), without the kind."""
        prefix = kind + " "
        return [line[len(prefix):] for line in self.record() if line.startswith(prefix)]

    def remove(self):
        self.app.remove()


class VmLibraryUnderWine(unittest.TestCase):
    def fake_app(self, **kwargs):
        app = FakeVmApp(**kwargs)
        self.addCleanup(app.remove)
        return app

    def test_a_library_that_cannot_be_loaded_is_reported_with_path_and_error(self):
        app = self.fake_app()
        with open(app.library, "wb") as f:
            f.write(b"MZ not a library")
        result = app.run()
        self.assertEqual(result.exit_code, FAILURE)
        self.assertEqual(len(result.messages), 1, result.messages)
        self.assertRegex(result.messages[0], r"^Failed to load Java VM library: %s \(errno = [1-9]\d*\)\.\n$"
                         % to_windows_path(app.library).replace("\\", r"\\"))

    def test_a_library_without_both_invocation_functions_is_rejected(self):
        for library in ("fake_jvm_no_exports.dll", "fake_jvm_create_only.dll"):
            with self.subTest(library=library):
                app = self.fake_app(library=fake_library(library))
                result = app.run()
                self.assertEqual(result.exit_code, FAILURE)
                # 127: ERROR_PROC_NOT_FOUND
                self.assertEqual(result.messages, [
                    "Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n"])
                self.assertEqual(app.record(), [])

    def test_each_creation_failure_is_reported_with_its_reason(self):
        reasons = {-1: "unknown", -2: "thread detached from VM", -3: "JNI version error",
                   -4: "not enough memory", -5: "VM already created", -6: "invalid arguments",
                   -7: "", 3: ""}
        for code, reason in reasons.items():
            with self.subTest(code=code):
                app = self.fake_app()
                result = app.run(env={"FAKE_JVM_CREATE_RESULT": str(code)})
                self.assertEqual(result.exit_code, FAILURE)
                self.assertEqual(result.messages, [
                    "JNI exception: failed to create the Java VM\nReason: %s.\n" % reason])
                self.assertNotIn("find-class", " ".join(app.record()))

    def test_the_options_reach_the_vm_in_order_with_the_hooks_last(self):
        app = self.fake_app(vm_parameters='-Dname="a b" -Xmx50:256:1024P -Xss4m',
                            runtime_section="Library Path=C:\\native\n")
        result = app.run()
        self.assertEqual(result.exit_code, 0, result.stderr[-2000:])
        self.assertIn("create version=65538 ignoreUnrecognized=0", app.record())
        options = app.entries("option")
        self.assertTrue(options[0].startswith("-Djava.library.path=C:\\native"), options)
        # On a machine with more than 2 GiB half the memory is above the 1024 MB maximum.
        self.assertEqual(options[1:], ["-Djava.class.path=C:\\app\\app.jar;", "-Dname=a b",
                                       "-Xmx1048576K", "-Xss4m", "abort [hook]", "exit [hook]"])

    def test_the_main_thread_gets_the_stack_size_of_xss_or_the_vm_default(self):
        app = self.fake_app(vm_parameters="-Xss4m")
        self.assertEqual(app.run().exit_code, 0)
        self.assertEqual(app.entries("stack"), [str(4 * MIB)])
        self.assertNotIn("default-args version=65537", app.record())

        app = self.fake_app()
        self.assertEqual(app.run(env={"FAKE_JVM_DEFAULT_STACK": str(3 * MIB)}).exit_code, 0)
        self.assertIn("default-args version=65537", app.record())
        self.assertEqual(app.entries("stack"), [str(3 * MIB)])

    def test_main_gets_the_arguments_and_the_exit_codes_follow_its_end(self):
        app = self.fake_app(application_section="Cmd=x \"y z\"\n")
        result = app.run(["Grüße", "日本語", "-nosplash"])
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(app.entries("main-arg"), ["Grüße", "日本語", "-nosplash", "x", "y z"])
        self.assertEqual(app.record()[-2:], ["detach", "destroy"])

        for code, expected in (("7", 7), ("-2", 4294967294)):
            with self.subTest(code=code):
                app = self.fake_app(main_class="fake.Exit")
                self.assertEqual(app.run([code]).exit_code, expected)

    def test_an_uncaught_exception_without_failure_check_ends_with_zero(self):
        app = self.fake_app(main_class="fake.Throws")
        self.assertEqual(app.run().exit_code, 0)
        self.assertIn("detach with java/lang/IllegalStateException", app.record())

    def test_a_missing_class_or_main_is_reported_and_fails(self):
        app = self.fake_app(main_class="fake.Missing")
        result = app.run()
        self.assertEqual(result.exit_code, FAILURE)
        self.assertEqual(result.messages, ["Could not find the main class fake/Missing.\n"])
        self.assertIn("describe java/lang/NoClassDefFoundError", app.record())

        app = self.fake_app(main_class="fake.NoMain")
        result = app.run()
        self.assertEqual(result.exit_code, FAILURE)
        self.assertEqual(result.messages, ["No main method found in specified class.\n"])
        self.assertEqual(app.record()[-2:], ["detach", "destroy"])

    def test_output_files_are_opened_with_the_time_stamp_expanded(self):
        app = self.fake_app(application_section=(
            "Output File=logs\\out-%yyyy%.txt\nError File=err.txt\nError Append=yes\n"))
        self.assertEqual(app.run().exit_code, 0)
        streams = app.entries("file-stream")
        self.assertEqual(len(streams), 2, app.record())
        self.assertRegex(streams[0], r"^logs\\out-20\d\d\.txt truncate$")
        self.assertEqual(streams[1], "err.txt append")
        self.assertTrue(os.path.isdir(app.app.file("logs")))


if __name__ == "__main__":
    unittest.main()
