"""The POSIX launcher's error notice on standard error, in the language of the locale."""

import os
import sys
import unittest

import harness
from harness import App

sys.path.insert(0, os.path.join(harness.source_dir(), "resources"))
import generate_resources  # noqa: E402  (the loader of the texts' one source)


class LocalizedNotices(unittest.TestCase):
    def test_missing_main_class_is_reported_in_the_locale_s_language(self):
        languages = {lang["language"]: lang for lang in generate_resources.load_languages(
            os.path.join(harness.source_dir(), "resources", "texts"))}
        app = App("posix")
        self.addCleanup(app.remove)
        app.write_ini("[Java Runtime Environment]\nMinimum Version=1.6\n", newline="\n")
        for lang, language_id in [("de_DE.UTF-8", 0x0407), ("ja_JP.UTF-8", 0x0411),
                                  ("pt_BR.UTF-8", 0x0416), ("sr_RS.UTF-8@latin", 0x081A),
                                  ("C", 0x0409)]:
            with self.subTest(lang=lang):
                result = app.run(lang=lang)
                self.assertEqual(result.stderr, languages[language_id]["strings"][210] + "\n")
                self.assertEqual(result.exit_code, 255)


if __name__ == "__main__":
    unittest.main()
