"""Bad input for launcher.exe under Wine (see bad_input.py), and a command line at the length
limit of CreateProcessW: 32767 UTF-16 units with the terminating NUL."""

import json
import os
import shutil
import unittest

from bad_input import PAIR_EXIT_CODE, BadInputCases
from harness import quote_argument, to_windows_path, windows_build_path
from runtimes import make_windows_home

LONGEST_COMMAND_LINE = 32766


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


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
        head = command_line_of(app, ["ä", "b c", "𝄞", '""', "%PATH%"])
        # A last argument fills the line up to the limit (a surrogate pair counts two units).
        command_line = head + " " + "x" * (LONGEST_COMMAND_LINE - utf16_length(head) - 1)
        self.assertEqual(utf16_length(command_line), LONGEST_COMMAND_LINE)
        result = app.run(command_line=command_line, timeout=300, lang="C.UTF-8",
                         env={"PAIR_RECORDER_EXIT_CODE": str(PAIR_EXIT_CODE)})
        self.assert_pair_started(app, result, None, record, command_line)


if __name__ == "__main__":
    unittest.main()
