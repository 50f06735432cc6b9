"""Bad input for the launcher of either target: settings files that are garbage, huge, UTF-16 or
made of very long lines, and command lines at the system's length limit. test_bad_input.py
(POSIX) and test_bad_input_windows.py (Wine) run the same cases through BadInputCases.

Where a case must show that the settings were read correctly, the settings name a runtime
folder whose VM library is a 32-bit x86 image and a pair product: the launcher then starts the
pair recorder with its own command line, which the recorder writes down; that needs every one
of these keys read right, and happens before any VM is loaded. Cases that reach the VM differ
by target (the real VM on POSIX, the test VM library under Wine) and live in those files."""

import hashlib
import os
import random

from harness import App

NO_MAIN_CLASS = "Main class was not specified in INI file."
PAIR_EXIT_CODE = 7
MB = 1024 * 1024


def garbage(size, seed):
    """Random bytes, with more of the bytes that INI syntax and text decoding care about."""
    rng = random.Random(seed)
    special = b"[]=\r\n\x00\"' \t\x1a\xef\xbb\xbf\xff\xfe\xc3\xa4"
    data = bytearray(rng.randbytes(size))
    for i in range(0, size, 3):
        data[i] = special[rng.randrange(len(special))]
    return bytes(data)


def filler_lines(size, seed):
    """size bytes of plausible sections and keys that no launcher reads (CR LF line ends)."""
    rng = random.Random(seed)
    lines, total, i = [], 0, 0
    while total < size:
        if i % 50 == 0:
            line = "[Filler %d]\r\n" % i
        else:
            line = "Key %d=%s\r\n" % (i, "v" * rng.randint(10, 200))
        lines.append(line)
        total += len(line)
        i += 1
    return "".join(lines)


def snapshot(folder):
    """Every file below folder with a digest of its content, and every folder."""
    result = {}
    for root, folders, files in os.walk(folder):
        for name in folders:
            result[os.path.relpath(os.path.join(root, name), folder)] = "folder"
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()
            result[os.path.relpath(path, folder)] = digest
    return result


class BadInputCases:
    """The cases; a subclass (also a TestCase) sets target, failure_code and the helpers below."""

    target = None
    failure_code = None

    def make_app(self):
        app = App(self.target)
        self.addCleanup(app.remove)
        return app

    def failure_messages(self, result):
        raise NotImplementedError

    def run_app(self, app, args=(), timeout=300, **options):
        return app.run(list(args), timeout=timeout, **options)

    # -- settings that name an x86 runtime and the pair recorder -----------------------------

    def pair_settings(self, app, folder_name="runtime", recorder_name="pair"):
        """Settings lines that send the launcher to a pair recorder in the application folder,
        and the path of the record that the recorder will write."""
        raise NotImplementedError

    def assert_pair_started(self, app, result, args, record_path):
        """The launcher started the recorder with its own command line and returned its code."""
        raise NotImplementedError

    @staticmethod
    def pair_lines(main_class, jre_path, pair_product):
        return ("[Java Runtime Environment]\r\nMain Class=%s\r\nJRE Path=%s\r\n"
                "[Application]\r\nPair Product=%s\r\nPair Return Code=Yes\r\n"
                % (main_class, jre_path, pair_product))

    # -- the cases ---------------------------------------------------------------------------

    def assert_untouched(self, app, before):
        self.assertEqual(snapshot(app.folder), before)

    def test_binary_garbage_settings_file_lacks_the_main_class(self):
        app = self.make_app()
        with open(app.ini_path, "wb") as f:
            f.write(garbage(256 * 1024, seed=1))
        before = snapshot(app.folder)
        result = self.run_app(app)
        self.assertEqual(self.failure_messages(result), [NO_MAIN_CLASS])
        self.assertEqual(result.exit_code, self.failure_code)
        self.assert_untouched(app, before)

    def test_settings_file_of_50_mb_is_read_to_its_end(self):
        app = self.make_app()
        lines, record = self.pair_settings(app)
        with open(app.ini_path, "w", encoding="ascii", newline="") as f:
            f.write(filler_lines(50 * MB, seed=2) + lines)
        self.assertGreaterEqual(os.path.getsize(app.ini_path), 50 * MB)
        result = self.run_app(app, ["first", "second"])
        self.assert_pair_started(app, result, ["first", "second"], record)

    def test_settings_file_of_50_mb_without_main_class(self):
        app = self.make_app()
        with open(app.ini_path, "w", encoding="ascii", newline="") as f:
            f.write(filler_lines(50 * MB, seed=3))
        before = snapshot(app.folder)
        result = self.run_app(app)
        self.assertEqual(self.failure_messages(result), [NO_MAIN_CLASS])
        self.assertEqual(result.exit_code, self.failure_code)
        self.assert_untouched(app, before)

    def test_utf16_settings_file_with_byte_order_mark(self):
        app = self.make_app()
        # Names beyond ASCII show that the text is decoded, not merely stripped of NULs.
        lines, record = self.pair_settings(app, "Laufzeit Ä€𝄞", "pär")
        for encoding, mark in (("utf-16-le", b"\xff\xfe"), ("utf-16-be", b"\xfe\xff")):
            with self.subTest(encoding=encoding):
                if os.path.exists(record):
                    os.remove(record)
                with open(app.ini_path, "wb") as f:
                    f.write(mark + ("[Product Information]\r\nProduct Name=Ünïcødé\r\n" +
                                    lines).encode(encoding))
                result = self.run_app(app, ["ä", "b c"])
                self.assert_pair_started(app, result, ["ä", "b c"], record)

    def test_utf16_settings_file_without_main_class(self):
        app = self.make_app()
        with open(app.ini_path, "wb") as f:
            f.write(b"\xff\xfe" + "[Java Runtime Environment]\r\nMinimum Version=1.8\r\n"
                    .encode("utf-16-le"))
        result = self.run_app(app)
        self.assertEqual(self.failure_messages(result), [NO_MAIN_CLASS])
        self.assertEqual(result.exit_code, self.failure_code)

    def test_lines_of_100000_characters(self):
        # A section name, a bare line, a key and values of 100,000 characters each; a product
        # name that long makes the per-user settings path too long for any file system.
        app = self.make_app()
        long_text = "".join(chr(0x41 + i % 26) for i in range(100000))
        lines, record = self.pair_settings(app)
        text = ("[Product Information]\r\nProduct Name=%s\r\nUpgrade Code=%s\r\n"
                "[%s]\r\n%s\r\n%s=value\r\n" % ((long_text,) * 5) +
                lines.replace("Main Class=app.Main", "Main Class=app." + long_text))
        with open(app.ini_path, "w", encoding="ascii", newline="") as f:
            f.write(text)
        result = self.run_app(app, [long_text[:30000]])
        self.assert_pair_started(app, result, [long_text[:30000]], record)

    def test_key_behind_100000_blanks_is_found(self):
        app = self.make_app()
        lines, record = self.pair_settings(app)
        with open(app.ini_path, "w", encoding="ascii", newline="") as f:
            f.write(lines.replace("Main Class=", " " * 100000 + "Main Class="))
        result = self.run_app(app)
        self.assert_pair_started(app, result, [], record)
