"""The harness itself: it must read full 32-bit exit codes and the texts of message boxes."""

import unittest

from harness import App, windows_build_path


class HarnessUnderWine(unittest.TestCase):
    def test_reads_message_box_text_and_full_exit_code(self):
        probe = App("windows", name="probe", executable=windows_build_path(
            "tests", "tools", "message_probe.exe"))
        try:
            result = probe.run(["Grüße, 世界\nsecond line", "4294967295"])
            self.assertEqual(result.messages, ["Grüße, 世界\nsecond line"])
            self.assertEqual(result.exit_code, 4294967295)
            result = probe.run(["", "300"])
            self.assertEqual(result.messages, [""])
            self.assertEqual(result.exit_code, 300)
        finally:
            probe.remove()

    def test_launcher_without_settings_ends_with_minus_one(self):
        app = App("windows")
        try:
            self.assertEqual(app.run().exit_code, 4294967295)
        finally:
            app.remove()


if __name__ == "__main__":
    unittest.main()
