"""The POSIX INI reader and writer agree with the Windows profile functions (run under Wine).

ini_probe, built for both targets, reads each file of tests/data/ini through SettingsFile: the
section names and the value of every section/key pair that the file suggests, in several
spellings. Both builds must give the same answers, also after the same writes to a copy.
Files without a byte-order mark hold ASCII text only: Windows reads them in the ANSI code
page, the POSIX reader as UTF-8."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from harness import WINE, source_dir, to_windows_path, windows_build_path, wine_base_env

CORPUS = os.path.join(source_dir(), "tests", "data", "ini")


def encode(text):
    return text.encode("utf-8").hex() or "-"


def decode_text(content):
    """The file's text as the readers see it, to find the names it holds."""
    if content.startswith(b"\xef\xbb\xbf"):
        return content[3:].decode("utf-8")
    if content.startswith((b"\xff\xfe", b"\xfe\xff")):
        return content.decode("utf-16")
    return content.decode("utf-8")


def names_in(content):
    """Section and key names that the lines of the file suggest."""
    sections, keys = [""], [""]
    for line in re.split(r"[\r\n]+", decode_text(content)):
        line = line.strip(" \t\x0b\x0c\x1a")
        if not line:
            continue
        close = line.rfind("]")
        if line.startswith("[") and close > 0:
            sections.append(line[1:close])
        else:
            keys.append(line.split("=", 1)[0])
    return sections, keys


def spellings(names):
    """Each name as written, in other letter case, padded with blanks; plus a missing one."""
    result = []
    for name in names + ["Missing"]:
        for spelling in (name, name.swapcase(), " %s\t" % name):
            if spelling not in result:
                result.append(spelling)
    return result


def read_queries(content, more_sections=(), more_keys=()):
    sections, keys = names_in(content)
    sections += [s for s in more_sections if s not in sections]
    keys += [k for k in more_keys if k not in keys]
    queries = ["names", "header"]
    for section in spellings(sections):
        for key in spellings(keys):
            queries.append("get %s %s" % (encode(section), encode(key)))
    return queries


WRITES = [
    # (section, key, value); "{section}" and "{key}" stand for the file's first names.
    ("{section}", "{key}", "new value"),
    ("Java Runtime Environment", "JRE Path", "C:\\Program Files\\Java\\jre\\"),
    ("{SECTION}", "{KEY}", "  padded  "),
    ("", "global", "g"),
    ("New Section", "quoted", '"q"'),
    ("New Section", "Quoted", "second write"),
]


# Files whose meaning Wine changes when it writes: it rewrites the whole file, dropping blank
# lines (which moves the stray mark of late_bom.ini to the start) and the headers of sections
# without a name (whose keys then join the section before). The POSIX writer, like Windows
# itself, keeps every line that it does not change.
WRITE_EXCLUDED = ("late_bom.ini", "nameless_sections.ini")


def write_queries(content):
    sections, keys = names_in(content)
    section = next((s for s in sections if s.strip()), "S")
    key = next((k for k in keys if k.strip()), "k")
    names = {"{section}": section, "{key}": key, "{SECTION}": section.upper(),
             "{KEY}": key.upper()}
    queries = []
    for entry in WRITES:
        words = [names.get(word, word) for word in entry]
        queries.append("set " + " ".join(encode(word) for word in words))
    return queries


class Probe:
    """Runs ini_probe of one target over batches of (file, queries) in one process."""

    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    def run(self, target, batches):
        self.count += 1
        query_path = os.path.join(self.folder, "queries-%d.txt" % self.count)
        lines = []
        for ini_path, queries in batches:
            path = to_windows_path(ini_path) if target == "windows" else ini_path
            lines += ["file " + encode(path)] + queries
        with open(query_path, "w") as f:
            f.write("\n".join(lines) + "\n")
        if target == "posix":
            command = [os.environ["LAUNCHER_INI_PROBE"], query_path]
            env = None
        else:
            command = [WINE, windows_build_path("tests", "tools", "ini_probe.exe"),
                       to_windows_path(query_path)]
            env = wine_base_env()
        completed = subprocess.run(command, env=env, capture_output=True, timeout=600)
        errors = completed.stderr.decode(errors="replace")
        if completed.returncode != 0:
            raise AssertionError("%s probe failed (%d): %s" % (target, completed.returncode,
                                                               errors))
        answers = completed.stdout.decode("ascii").replace("\r\n", "\n").split("\n")[:-1]
        if len(answers) != len(lines):
            raise AssertionError("%s probe answered %d of %d queries\n%s" % (
                target, len(answers), len(lines), errors))
        results = []
        for _, queries in batches:
            results.append(answers[1:1 + len(queries)])
            answers = answers[1 + len(queries):]
        return results

    def run_one(self, target, ini_path, queries):
        return self.run(target, [(ini_path, queries)])[0]


def describe(query, answer):
    words = query.split()
    shown = [bytes.fromhex(w).decode("utf-8") if w != "-" else "" for w in words[1:]]
    if words[0] == "names":
        answer = [bytes.fromhex(w).decode("utf-8", "replace") for w in answer.split()]
    elif words[0] == "get":
        answer = bytes.fromhex(answer).decode("utf-8", "replace") if answer != "-" else ""
    return "%s %r -> %r" % (words[0], shown, answer)


class IniAgreement(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="ini-agreement-")
        self.probe = Probe(self.folder)

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def corpus(self):
        files = sorted(f for f in os.listdir(CORPUS) if f.endswith(".ini"))
        self.assertGreater(len(files), 10)
        for name in files:
            with open(os.path.join(CORPUS, name), "rb") as f:
                yield name, f.read()

    def assert_same(self, name, queries, windows, posix):
        differences = [describe(q, w) + "  but POSIX: " + describe(q, p).split(" -> ")[1]
                       for q, w, p in zip(queries, windows, posix) if w != p]
        self.assertEqual(differences, [], "%s: Windows and POSIX differ" % name)

    def compare(self, batches, label=""):
        """Runs the batches (name, content or None for the copy made before, queries) on
        copies for each target and compares the answers."""
        answers = {}
        for target in ("windows", "posix"):
            runs = []
            for name, content, queries in batches:
                path = os.path.join(self.folder, target, name)
                if content is not None:
                    self.copy(path, content)
                runs.append((path, queries))
            answers[target] = self.probe.run(target, runs)
        for (name, _, queries), windows, posix in zip(batches, answers["windows"],
                                                      answers["posix"]):
            with self.subTest(file=name + label):
                self.assert_same(name + label, queries, windows, posix)
        return answers["windows"]

    @staticmethod
    def copy(path, content):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)

    def test_reads_agree(self):
        batches = [(name, content, read_queries(content)) for name, content in self.corpus()]
        windows = self.compare(batches)
        # The corpus must exercise something: files with text give some non-empty value.
        for (name, content, _), answers in zip(batches, windows):
            if content.strip():
                self.assertTrue(any(a not in ("-", "") for a in answers[2:]), name)
            self.assertTrue(answers[1].startswith("0 "), name)

    def test_reads_after_writes_agree(self):
        corpus = [(n, c) for n, c in self.corpus() if n not in WRITE_EXCLUDED]
        self.compare([(name, content, write_queries(content)) for name, content in corpus])
        more_sections = [w[0] for w in WRITES]
        more_keys = [w[1] for w in WRITES]
        self.compare([(name, None, read_queries(content, more_sections, more_keys))
                      for name, content in corpus], " after writes")

    def test_missing_files_agree(self):
        missing = os.path.join(self.folder, "missing.ini")
        in_missing_folder = os.path.join(self.folder, "no", "such", "folder.ini")
        get = "get %s %s" % (encode("S"), encode("k"))
        set_value = "set %s %s %s" % (encode("S"), encode("k"), encode("v"))
        for target in ("windows", "posix"):
            created = os.path.join(self.folder, target + "-created.ini")
            answers = self.probe.run(target, [
                (missing, ["names", get, "delete", "header"]),
                (in_missing_folder, ["names", get, "header", set_value]),
                (created, [set_value, "get %s %s" % (encode("s"), encode("K")), "header",
                           "delete"]),
            ])
            self.assertEqual(answers[0][:3], ["", "-", "0"], target)
            self.assertNotEqual(answers[0][3].split()[0], "0", target)
            self.assertEqual(answers[1][:2], ["", "-"], target)
            self.assertNotEqual(answers[1][2].split()[0], "0", target)
            self.assertEqual(answers[1][3], "0", target)
            self.assertFalse(os.path.exists(os.path.dirname(in_missing_folder)), target)
            self.assertEqual(answers[2][:2], ["1", encode("v")], target)
            self.assertEqual(answers[2][2].split()[0], "0", target)
            self.assertEqual(answers[2][3], "1", target)
            self.assertFalse(os.path.exists(created), target)


if __name__ == "__main__":
    unittest.main()
