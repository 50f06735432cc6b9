"""The report of an exception that main leaves uncaught, on the real VM without a display:
nobody can answer the dialog, so the whole trace goes to standard error and the application
stops through System.exit(-1)."""

import os
import unittest

from java_app import ProbeApp

STOPPED = 255  # System.exit(-1)
MESSAGE = "Grüße — Ελληνικά — 日本語 — 𝄞"
UNCAUGHT_HANDLER = 'Exception in thread "main"'


def setUpModule():
    # These tests are about the case without any display.
    for name in ("DISPLAY", "WAYLAND_DISPLAY"):
        os.environ.pop(name, None)


def written_lines(count):
    return "".join("line %d %s\n" % (i, MESSAGE) for i in range(1, count + 1))


class UncaughtExceptionReport(unittest.TestCase):
    def run_trace(self, args=(), failure_check="Yes", lang="C"):
        app = ProbeApp("probe.Trace", application_section="Failure Check=%s\n" % failure_check)
        self.addCleanup(app.remove)
        return app.run(list(args), lang=lang, timeout=300)

    def test_the_whole_trace_reaches_standard_error_intact_in_any_locale(self):
        # The "C" locale gives Java 17 an ASCII default charset: the report must not use it.
        for lang in ("C", "C.UTF-8", "de_DE.ISO-8859-1"):
            with self.subTest(lang=lang):
                result = self.run_trace(lang=lang)
                self.assertEqual(result.exit_code, STOPPED, result.stderr)
                self.assertRegex(result.stderr, (
                    r"java\.lang\.IllegalStateException: %s\n"
                    r"(\tat probe\.Trace\.fail\(Trace\.java:\d+\)\n){4}"
                    r"\tat probe\.Trace\.main\(Trace\.java:\d+\)\n") % MESSAGE)
                self.assertNotIn(UNCAUGHT_HANDLER, result.stderr)

    def test_without_failure_check_the_thread_s_handler_reports_and_the_exit_code_is_zero(self):
        for setting in ("", "no", "yes please"):
            with self.subTest(setting=setting):
                result = self.run_trace(failure_check=setting)
                self.assertEqual(result.exit_code, 0, result.stderr)
                self.assertEqual(result.stderr.count("IllegalStateException"), 1, result.stderr)
                self.assertIn(UNCAUGHT_HANDLER, result.stderr)

    def test_a_trace_that_prints_nothing_shows_no_report_and_counts_as_ignored(self):
        result = self.run_trace(["0"], failure_check="YES")
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(result.stderr, "")

    def test_a_trace_of_100000_lines_arrives_whole(self):
        result = self.run_trace(["100000"])
        self.assertEqual(result.exit_code, STOPPED)
        self.assertEqual(result.stderr, written_lines(100000))


if __name__ == "__main__":
    unittest.main()
