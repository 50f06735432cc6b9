"""The missing-runtime dialog under Wine comes up in the user's language, for each of the 27
languages of the resources and for variants that one of them serves: its template (caption,
buttons) and its message from the string table. Wine takes the locale from LANG; it knows
Serbian only with a script ("sr_RS.UTF-8@latin" is sr-Latn-RS, "@cyrillic" sr-Cyrl-RS; plain
"sr_RS" reads as English (United States) in Wine 8)."""

import os
import re
import sys
import unittest

import harness
from harness import App

sys.path.insert(0, os.path.join(harness.source_dir(), "resources"))
import generate_resources  # noqa: E402  (the loader of the texts' one source)

SETTINGS = "[Java Runtime Environment]\nMain Class=app.Main\nMinimum Version=1.7\n"

# LANG -> the language whose dialog and texts the user must see.
LANGUAGES = [
    ("zh_TW", 0x0404), ("da_DK", 0x0406), ("de_DE", 0x0407), ("el_GR", 0x0408),
    ("en_US", 0x0409), ("fi_FI", 0x040B), ("fr_FR", 0x040C), ("hu_HU", 0x040E),
    ("it_IT", 0x0410), ("ja_JP", 0x0411), ("ko_KR", 0x0412), ("nl_NL", 0x0413),
    ("pl_PL", 0x0415), ("pt_BR", 0x0416), ("ru_RU", 0x0419), ("sk_SK", 0x041B),
    ("sv_SE", 0x041D), ("tr_TR", 0x041F), ("uk_UA", 0x0422), ("sl_SI", 0x0424),
    ("zh_CN", 0x0804), ("en_GB", 0x0809), ("nn_NO", 0x0814), ("pt_PT", 0x0816),
    ("sr_RS.UTF-8@latin", 0x081A), ("es_ES", 0x0C0A), ("sr_RS.UTF-8@cyrillic", 0x0C1A),
    # Variants: another region or script of a language with resources.
    ("sr_ME.UTF-8@latin", 0x081A), ("sr_BA.UTF-8@cyrillic", 0x0C1A), ("nb_NO", 0x0814),
    ("zh_HK", 0x0404), ("zh_SG", 0x0804), ("de_AT", 0x0407), ("es_MX", 0x0C0A),
    # Croatian shares Serbian's primary language id but is not Serbian.
    ("hr_HR", 0x0409),
]
_CAPTION = re.compile(r'CAPTION L"(.*)"')
_BUTTON = re.compile(r'L"Button" L"(.*)" (\d+), ')
_SET_TEXT = re.compile(r'set_window_text L"(.*)"')


class DialogLanguages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        languages = generate_resources.load_languages(
            os.path.join(harness.source_dir(), "resources", "texts"))
        cls.texts = {lang["language"]: lang for lang in languages}

    def test_missing_runtime_dialog_speaks_the_user_s_language(self):
        self.assertEqual(sorted({language for _, language in LANGUAGES}), sorted(self.texts))
        app = App("windows")
        self.addCleanup(app.remove)
        app.write_ini(SETTINGS)
        for lang, language_id in LANGUAGES:
            with self.subTest(lang=lang):
                locale = lang if "." in lang else lang + ".UTF-8"
                result = harness.run_windows(
                    harness.quote_argument(harness.to_windows_path(app.path)), lang=locale,
                    cwd=app.folder, window_class="tool.exe", debug="+dialog,+win", timeout=90)
                self.assertGreaterEqual(result.cancelled_dialogs, 1)
                self.assertEqual(result.exit_code, 4294967295)
                texts = self.texts[language_id]
                strings, dialog = texts["strings"], texts["dialog"][201]
                decode = harness.decode_wine_string
                self.assertEqual([decode(c) for c in _CAPTION.findall(result.stderr)],
                                 [dialog["caption"]], texts["name"])
                buttons = {int(i): decode(t) for t, i in _BUTTON.findall(result.stderr)}
                self.assertEqual((buttons[1], buttons[2]), (dialog["ok"], dialog["cancel"]))
                message = strings[207].replace("%s", strings[219].replace("%s", "1.7"))
                # Wine's trace cuts long texts (Cyrillic, Greek) short: a long enough start.
                shown = [decode(t) for t in _SET_TEXT.findall(result.stderr)]
                self.assertTrue(any(len(t) >= 40 and message.startswith(t) for t in shown),
                                (message, shown))


if __name__ == "__main__":
    unittest.main()
