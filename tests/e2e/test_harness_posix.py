"""The harness on the POSIX build: exit status of a failed launch."""

import unittest

from harness import App


class HarnessOnPosix(unittest.TestCase):
    def test_launcher_without_settings_ends_with_status_255(self):
        app = App("posix")
        try:
            self.assertEqual(app.run().exit_code, 255)
        finally:
            app.remove()


if __name__ == "__main__":
    unittest.main()
