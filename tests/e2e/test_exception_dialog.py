"""The "Java Exception" dialog of the real launcher on the real VM, under a private Xvfb: main
ends with an uncaught exception whose message is not ASCII, the dialog shows its whole trace
while the program's other threads run on, and the user's answer decides how the run ends."""

import os
import time
import unittest

from harness import RunningPosix
from java_app import ProbeApp
from test_window_process import IGNORE_CENTRE, STOP_CENTRE, TITLE, WindowTest, artifact

STOPPED = 255  # System.exit(-1)
MESSAGE = "Grüße — Ελληνικά — 日本語"
UNCAUGHT_HANDLER = 'Exception in thread "main"'


class ExceptionDialogOnTheVm(WindowTest):
    def start(self, main_class="probe.BusyThrow", args=(), failure_check="Yes", lang="C"):
        app = ProbeApp(main_class, application_section="Failure Check=%s\n" % failure_check)
        self.addCleanup(app.remove)
        # LeakSanitizer cannot walk a process that hosts the Java VM.
        env = {"ASAN_OPTIONS": ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"),
                                                      "detect_leaks=0"]))}
        running = RunningPosix([app.app.path] + list(args), cwd=app.app.folder, env=env,
                               lang=lang, display=self.display.name)
        return app, running

    def test_the_answer_decides_how_the_run_ends(self):
        answers = [
            ("Stop", lambda w: self.click_at_units(w, STOP_CENTRE), STOPPED),
            ("Ignore", lambda w: self.click_at_units(w, IGNORE_CENTRE), 0),
            ("Escape", lambda w: self.display.key(w, "Escape"), STOPPED),
            ("Enter", lambda w: self.display.key(w, "Return"), 0),
            ("close button", lambda w: self.display.close_window(w), STOPPED),
        ]
        for name, answer, exit_code in answers:
            with self.subTest(name):
                _, running = self.start()
                answer(self.find_dialog(running, timeout=120))
                result = running.finish(timeout=120)
                self.assertEqual(result.exit_code, exit_code, result.stderr)
                self.assertNotIn(UNCAUGHT_HANDLER, result.stderr)

    def test_the_dialog_speaks_the_language_of_the_locale(self):
        _, running = self.start(lang="de_DE.UTF-8")
        self.display.key(self.find_dialog(running, "Java-Ausnahme", timeout=120), "Escape")
        self.assertEqual(running.finish(timeout=120).exit_code, STOPPED)

    def test_the_whole_trace_is_shown_while_java_threads_run_on(self):
        app, running = self.start()
        window = self.find_dialog(running, timeout=120)
        ticks = len(app.lines())
        time.sleep(1)
        self.assertGreater(len(app.lines()), ticks, "the program's thread stopped")
        self.display.screenshot(artifact("exception_dialog_vm.png"))
        self.click_at_units(window, (100, 100))
        self.display.key(window, "ctrl+a", "ctrl+c")
        self.assertRegex(self.display.clipboard().decode("utf-8"),
                         r"^java\.lang\.IllegalStateException: %s\n"
                         r"\tat probe\.BusyThrow\.main\(BusyThrow\.java:\d+\)\n$" % MESSAGE)
        self.display.key(window, "Escape")
        self.assertEqual(running.finish(timeout=120).exit_code, STOPPED)

    def test_no_dialog_without_failure_check_or_for_an_empty_trace(self):
        # Each run ends by itself: a dialog would wait for an answer that never comes.
        cases = [
            ("Failure Check off", "probe.BusyThrow", (), "No", UNCAUGHT_HANDLER),
            ("printStackTrace prints nothing", "probe.Trace", ("0",), "Yes", ""),
        ]
        for name, main_class, args, failure_check, stderr in cases:
            with self.subTest(name):
                _, running = self.start(main_class, args, failure_check)
                result = running.finish(timeout=120)
                self.assertEqual(result.exit_code, 0, result.stderr)
                self.assertTrue(result.stderr.startswith(stderr), result.stderr)
                self.assertFalse(self.display.has_window(TITLE))


if __name__ == "__main__":
    unittest.main()
