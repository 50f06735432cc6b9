"""Bad input for launcher.exe under Wine (see bad_input.py), and a command line at the length
limit of CreateProcessW: 32767 UTF-16 units with the terminating NUL."""

import json
import shutil
import unittest

from bad_input import PAIR_EXIT_CODE, BadInputCases, snapshot
from harness import quote_argument, to_windows_path, windows_build_path
from runtimes import make_windows_home
from test_vm_windows import FakeVmApp

LONGEST_COMMAND_LINE = 32766
CLASS_PATH_MISSING = "Java Class Path was not specified in INI file."


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


def command_line_at_the_limit(app):
    """A command line of the longest length CreateProcessW takes, and its arguments."""
    arguments = ["ä", "b c", "𝄞", "", "%PATH%"]
    head = command_line_of(app, arguments)
    # A last argument fills the line up to the limit (a surrogate pair counts two units).
    filler = "x" * (LONGEST_COMMAND_LINE - utf16_length(head) - 1)
    command_line = head + " " + filler
    assert utf16_length(command_line) == LONGEST_COMMAND_LINE
    return command_line, arguments + [filler]


def command_line_of(app, args):
    return " ".join([quote_argument(to_windows_path(app.path))] +
                    [quote_argument(a) for a in args])


class BadInputUnderWine(BadInputCases, unittest.TestCase):
    target = "windows"
    failure_code = 4294967295

    def failure_messages(self, result):
        return result.messages

    def run_app(self, app, args=(), timeout=300, **options):
        env = {"PAIR_RECORDER_EXIT_CODE": str(PAIR_EXIT_CODE)}
        return app.run(list(args), timeout=timeout, env=env, lang="C.UTF-8", **options)

    def pair_settings(self, app, folder_name="runtime", recorder_name="pair"):
        home = make_windows_home(app.file(folder_name), ["server", "client"],
                                 library=windows_build_path("tests", "tools", "x86", "jvm.dll"))
        recorder = app.file(recorder_name + ".exe")
        shutil.copy2(windows_build_path("tests", "tools", "pair_recorder.exe"), recorder)
        lines = self.pair_lines("app.Main", to_windows_path(home), to_windows_path(recorder))
        return lines, app.file(recorder_name + ".record")

    def assert_pair_started(self, app, result, args, record_path, command_line=None):
        self.assertEqual(result.messages, [])
        self.assertEqual(result.exit_code, PAIR_EXIT_CODE)
        with open(record_path, encoding="utf-8") as f:
            recorded = json.load(f)["command_line"]
        self.assertEqual(recorded, command_line or command_line_of(app, args))

    def test_command_line_at_the_system_limit(self):
        app = self.make_app()
        lines, record = self.pair_settings(app)
        app.write_ini(lines)
        command_line, _ = command_line_at_the_limit(app)
        result = app.run(command_line=command_line, timeout=300, lang="C.UTF-8",
                         env={"PAIR_RECORDER_EXIT_CODE": str(PAIR_EXIT_CODE)})
        self.assert_pair_started(app, result, None, record, command_line)


class BadInputToTheVmUnderWine(unittest.TestCase):
    """Cases that reach the test VM library, which records what the launcher hands it."""

    def fake_app(self, class_path="C:\\app\\app.jar", application_section=""):
        app = FakeVmApp()
        self.addCleanup(app.remove)
        app.app.write_ini(
            "[Java Runtime Environment]\nJRE Path=%s\nJVM Type=server\nMain Class=fake.Main\n"
            "[Class Path]\nClass Path=%s\n[Application]\n%s"
            % (to_windows_path(app.app.file("jre")), class_path, application_section))
        return app

    def run_fake(self, app, args=(), command_line=None):
        return app.app.run(list(args), command_line=command_line, lang="C.UTF-8",
                           env={"FAKE_JVM_RECORD": to_windows_path(app.record_path)})

    def test_command_line_at_the_system_limit_reaches_main(self):
        app = self.fake_app()
        command_line, arguments = command_line_at_the_limit(app.app)
        result = self.run_fake(app, command_line=command_line)
        self.assertEqual((result.exit_code, result.messages), (0, []))
        self.assertEqual(app.entries("main-arg"), arguments)

    def test_class_path_of_missing_folders_only(self):
        app = self.fake_app(class_path="\\nosuch\\*.jar;Q:\\no\\such\\folder\\*.jar;"
                                       "\\nosuch\\deeper\\lib.jar;\\%s\\*.jar;"
                                       "\\tool.ini\\inner\\*.jar" % ("n" * 300))
        before = snapshot(app.app.folder)
        result = self.run_fake(app)
        self.assertEqual(result.messages, [CLASS_PATH_MISSING])
        # The VM is created all the same, without a class path; the test VM's main class
        # needs none and returns.
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(app.entries("option"), ["abort [hook]", "exit [hook]"])
        after = snapshot(app.app.folder)
        after.pop("record.txt")
        self.assertEqual(after, before)

    def test_missing_class_path_folders_are_left_out(self):
        app = self.fake_app(class_path="\\nosuch\\*.jar;\\app.jar;Q:\\no\\such\\*.jar;"
                                       "\\tool.ini\\inner\\*.jar;\\%s\\*.jar" % ("n" * 300))
        with open(app.app.file("app.jar"), "wb") as f:
            f.write(b"PK")
        result = self.run_fake(app)
        self.assertEqual((result.exit_code, result.messages), (0, []))
        self.assertEqual(app.entries("option")[0],
                         "-Djava.class.path=%s;" % to_windows_path(app.app.file("app.jar")))

    def test_output_files_whose_folders_cannot_be_made(self):
        # A settings file in the place of a folder, a drive that does not exist, a folder
        # name too long for any file system: the folders are not made, nothing else is, and
        # the names still go to the VM, which reports on its own when it cannot open them.
        names = ["tool.ini\\out.txt", "Q:\\nosuch\\err.txt"]
        long_name = "n" * 300 + "\\out.txt"
        for output, error in ((names[0], names[1]), (long_name, names[0])):
            with self.subTest(output=output[:20]):
                app = self.fake_app(application_section="Output File=%s\nError File=%s\n"
                                    % (output, error))
                before = snapshot(app.app.folder)
                result = self.run_fake(app)
                self.assertEqual((result.exit_code, result.messages), (0, []))
                self.assertEqual(app.entries("file-stream"),
                                 [output + " truncate", error + " truncate"])
                after = snapshot(app.app.folder)
                after.pop("record.txt")
                self.assertEqual(after, before)


if __name__ == "__main__":
    unittest.main()
