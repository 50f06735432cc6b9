"""Launcher settings on the POSIX build: the main class is required, from the settings file or
from the built-in settings text."""

import os
import unittest

from harness import App

NO_MAIN_CLASS = "Main class was not specified in INI file."
SETTINGS_WITHOUT_MAIN_CLASS = "[Java Runtime Environment]\nMinimum Version=1.6\n"


class MainClassSetting(unittest.TestCase):
    def launch(self, executable=None):
        app = App("posix", executable=executable)
        self.addCleanup(app.remove)
        app.write_ini(SETTINGS_WITHOUT_MAIN_CLASS, newline="\n")
        return app.run(lang="C")

    def test_missing_main_class_is_reported_and_fails(self):
        result = self.launch()
        self.assertEqual(result.stderr, NO_MAIN_CLASS + "\n")
        self.assertEqual(result.exit_code, 255)

    def test_built_in_main_class_gets_past_the_settings(self):
        result = self.launch(os.environ["LAUNCHER_POSIX_BUILT_IN"])
        self.assertNotIn(NO_MAIN_CLASS, result.stderr)


if __name__ == "__main__":
    unittest.main()
