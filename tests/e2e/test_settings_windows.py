"""Launcher settings under Wine: the main class is required, from the settings file or from
the built-in settings text."""

import unittest

from harness import App, windows_build_path

NO_MAIN_CLASS = "Main class was not specified in INI file."
SETTINGS_WITHOUT_MAIN_CLASS = "[Java Runtime Environment]\nMinimum Version=1.6\n"


class MainClassSetting(unittest.TestCase):
    def launch(self, executable=None):
        app = App("windows", executable=executable)
        self.addCleanup(app.remove)
        app.write_ini(SETTINGS_WITHOUT_MAIN_CLASS)
        return app.run(lang="en_US.UTF-8")

    def test_missing_main_class_is_reported_and_fails(self):
        result = self.launch()
        self.assertEqual(result.messages, [NO_MAIN_CLASS])
        self.assertEqual(result.exit_code, 4294967295)

    def test_built_in_main_class_gets_past_the_settings(self):
        result = self.launch(windows_build_path("tests", "tools", "launcher_built_in.exe"))
        self.assertNotIn(NO_MAIN_CLASS, result.messages)


if __name__ == "__main__":
    unittest.main()
