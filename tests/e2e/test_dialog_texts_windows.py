"""Every translated text of dialogs 201 and 231 fits its control with the dialog's font."""

import subprocess
import unittest

from harness import WINE, windows_build_path, wine_base_env


class DialogTexts(unittest.TestCase):
    def test_every_language_s_texts_fit_their_controls(self):
        result = subprocess.run([WINE, windows_build_path("tests", "tools", "dialog_text_fit.exe")],
                                env=wine_base_env(), capture_output=True, timeout=120)
        output = result.stdout.decode("utf-8", "replace")
        self.assertIn("27 languages checked", output)
        self.assertEqual(result.returncode, 0, "texts that do not fit:\n" + output)


if __name__ == "__main__":
    unittest.main()
