"""A start that fails shows its message box in the language that Wine takes from LANG: the
system's default locale chooses among launcher.exe's 27 string tables."""

import os
import sys
import threading
import time
import unittest

import harness
from harness import App

sys.path.insert(0, os.path.join(harness.source_dir(), "resources"))
import generate_resources  # noqa: E402  (the loader of the texts' one source)

# LANG -> the language whose table the resource loader must pick.
LANGUAGES = [
    ("de_DE.UTF-8", 0x0407), ("ja_JP.UTF-8", 0x0411), ("ru_RU.UTF-8", 0x0419),
    ("fr_FR.UTF-8", 0x040C), ("zh_CN.UTF-8", 0x0804), ("en_US.UTF-8", 0x0409),
    ("zh_TW.UTF-8", 0x0404), ("pt_PT.UTF-8", 0x0816), ("ko_KR.UTF-8", 0x0412),
    ("en_GB.UTF-8", 0x0809),
]
NO_MAIN_CLASS = "[Java Runtime Environment]\nMinimum Version=1.6\n"


def texts():
    languages = generate_resources.load_languages(
        os.path.join(harness.source_dir(), "resources", "texts"))
    return {lang["language"]: lang for lang in languages}


class LocalizedMessageBoxes(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.texts = texts()

    def setUp(self):
        self.app = App("windows")
        self.addCleanup(self.app.remove)
        self.app.write_ini(NO_MAIN_CLASS)

    def test_missing_main_class_is_reported_in_the_system_language(self):
        for lang, language_id in LANGUAGES:
            with self.subTest(lang=lang):
                result = self.app.run(lang=lang)
                self.assertEqual(result.messages, [self.texts[language_id]["strings"][210]])
                self.assertEqual(result.exit_code, 4294967295)

    def test_screenshot_of_a_german_box(self):
        """Keeps a picture of the open box for people to look at (build/screenshots)."""
        folder = os.path.join(harness.build_dir(), "screenshots")
        os.makedirs(folder, exist_ok=True)
        picture = os.path.join(folder, "message_box_de.png")
        if os.path.exists(picture):
            os.remove(picture)
        display = harness.wine_display()
        result = {}
        run = threading.Thread(target=lambda: result.update(
            run=self.app.run(lang="de_DE.UTF-8", answer_boxes=False, timeout=60)))
        run.start()
        deadline = time.monotonic() + 50
        while time.monotonic() < deadline and not self.box_is_open(display):
            time.sleep(0.3)
        time.sleep(0.5)  # let the box paint
        harness.screenshot(picture)
        harness.close_message_boxes("tool.exe", display)
        run.join(70)
        self.assertEqual(result["run"].messages, [self.texts[0x0407]["strings"][210]])
        self.assertGreater(os.path.getsize(picture), 0)

    @staticmethod
    def box_is_open(display):
        found = harness.xdotool("search", "--onlyvisible", "--classname", "^tool\\.exe$",
                                display=display)
        return bool(found.stdout.split())


if __name__ == "__main__":
    unittest.main()
