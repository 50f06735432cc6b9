"""The release artifacts of scripts/release.sh, built by ctest with a test icon and version
record (fixture release.build): the files and archives a vendor takes, the PE facts of both
Windows executables, their branded resources in every language, the example settings file
against the keys the launcher reads, and the Linux launcher running the demo from a copy."""

import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tarfile
import tempfile
import unittest
import zipfile

import harness
from test_resources import (RT_GROUP_ICON, RT_ICON, RT_MANIFEST, RT_VERSION, Reader,
                            check_manifest, extract, list_resources)

DIST = os.environ.get("LAUNCHER_DIST_DIR", "")
VERSION = os.environ.get("LAUNCHER_RELEASE_VERSION", "")
ICON = os.path.join(harness.source_dir(), "tests", "data", "vendor_icon.ico")
BRANDING = {"ProductName": "Example Studio", "FileDescription": "Example Studio",
            "CompanyName": "Example Ltd", "LegalCopyright": "\u00a9 2026 Example Ltd"}
# (file, machine, manifest architecture, original file name)
WINDOWS = [("launcher.exe", 0x8664, "amd64", "launcher.exe"),
           ("launcher-x86.exe", 0x014C, "x86", "launcher-x86.exe")]
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "comctl32.dll", "msvcrt.dll", "msimg32.dll",
               "windowscodecs.dll"}
# Stripped sizes with every feature in (bench/README.md, "Size of the executables").
MAX_SIZES = {"launcher.exe": 400 * 1024, "launcher-x86.exe": 330 * 1024}


def dist(name):
    return os.path.join(DIST, name)


def pe_facts(path):
    """Machine, subsystem and the number of COFF symbols of a PE file."""
    with open(path, "rb") as f:
        data = f.read(4096)
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[offset:offset + 4] == b"PE\0\0"
    machine, _, _, _, symbols = struct.unpack_from("<HHIII", data, offset + 4)
    subsystem = struct.unpack_from("<H", data, offset + 24 + 68)[0]
    return machine, subsystem, symbols


def imported_dlls(path):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True,
                          text=True, check=True).stdout
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}


def icon_images(ico):
    """The image bytes of an .ico file, in directory order."""
    r = Reader(ico)
    _, _, count = r.take("HHH")
    entries = [r.take("BBBBHHII") for _ in range(count)]
    return [ico[offset:offset + size] for *_, size, offset in entries]


def version_strings(data):
    """The name/value pairs of a version record's string table."""
    text = data.decode("utf-16-le", "replace")
    names = list(BRANDING) + ["FileVersion", "ProductVersion", "OriginalFilename"]
    found = {}
    for name in names:
        match = re.search(re.escape(name) + r"\x00+([^\x00]*)", text)
        if match:
            found[name] = match.group(1)
    return found


class ReleaseFiles(unittest.TestCase):
    def test_dist_holds_the_files_archives_and_their_checksums(self):
        windows = "launcher-%s-windows.zip" % VERSION
        linux = "launcher-%s-linux-x86_64.tar.gz" % VERSION
        self.assertEqual(sorted(os.listdir(DIST)), sorted(
            ["launcher.exe", "launcher-x86.exe", "launcher", "launcher.ini", "VENDOR-GUIDE.md",
             windows, linux, "SHA256SUMS"]))
        with zipfile.ZipFile(dist(windows)) as archive:
            names = {name: archive.read(name) for name in archive.namelist()
                     if not name.endswith("/")}
        top = "launcher-%s-windows/" % VERSION
        self.assertEqual(sorted(names), sorted(top + name for name in (
            "launcher.exe", "launcher-x86.exe", "launcher.ini", "VENDOR-GUIDE.md")))
        for name, data in names.items():
            with open(dist(name[len(top):]), "rb") as f:
                self.assertEqual(data, f.read(), name)
        with tarfile.open(dist(linux)) as archive:
            members = {m.name: m for m in archive.getmembers() if m.isfile()}
            self.assertEqual(sorted(members), sorted(
                "launcher-%s-linux-x86_64/%s" % (VERSION, name)
                for name in ("launcher", "launcher.ini", "VENDOR-GUIDE.md")))
            launcher = members["launcher-%s-linux-x86_64/launcher" % VERSION]
            self.assertTrue(launcher.mode & 0o111, "the Linux launcher is executable")
        with open(dist("SHA256SUMS")) as f:
            sums = dict(reversed(line.split()) for line in f)
        self.assertEqual(set(sums), {"launcher.exe", "launcher-x86.exe", "launcher", windows,
                                     linux})
        for name, digest in sums.items():
            with open(dist(name), "rb") as f:
                self.assertEqual(hashlib.sha256(f.read()).hexdigest(), digest, name)

    def test_windows_executables_are_stripped_gui_programs_of_their_machine(self):
        for name, machine, _, _ in WINDOWS:
            with self.subTest(name=name):
                self.assertEqual(pe_facts(dist(name)), (machine, 2, 0))  # 2: GUI subsystem
                self.assertLessEqual(imported_dlls(dist(name)), SYSTEM_DLLS)
                print("%s: %d bytes" % (name, os.path.getsize(dist(name))))
                self.assertLessEqual(os.path.getsize(dist(name)), MAX_SIZES[name])

    def test_size_report_accounts_for_the_sections_of_both_windows_executables(self):
        sys.path.insert(0, os.path.join(harness.source_dir(), "scripts"))
        import size_report
        for tree, name in (("windows-x64", "launcher.exe"), ("windows-x86", "launcher-x86.exe")):
            with open(os.path.join(os.path.dirname(DIST), tree, "launcher.map")) as f:
                report = size_report.parse(f, members=False)
            dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", dist(name)],
                                  capture_output=True, text=True, check=True).stdout
            sections = {m.group(1): int(m.group(2), 16)
                        for m in re.finditer(r"^\s*\d+ (\.\w+)\s+([0-9a-f]+)", dump, re.M)}
            for section in (".text", ".rdata", ".rsrc"):
                with self.subTest(name=name, section=section):
                    summed = sum(sizes[section] for sizes in report.values())
                    # Only the alignment between input sections is not in the map's sum.
                    self.assertLessEqual(summed, sections[section])
                    self.assertGreater(summed, 0.99 * sections[section])
            self.assertEqual(sum(sizes[".rsrc"] for sizes in report.values()),
                             sum(report["launcher_resources"].values()))

    def test_windows_executables_link_no_exception_runtime_nor_thread_library(self):
        # A guarded function-local static, std::mutex, make_shared, a throwing operator new or
        # the library's prebuilt string members bring them back: about 60 KB (x64).
        sys.path.insert(0, os.path.join(harness.source_dir(), "scripts"))
        import size_report
        unwanted = re.compile(r"^(libpthread\.a|libgcc_eh\.a)\(|\((eh_\w+|guard|shared_ptr|"
                              r"w?string-inst|new_op|new_opnt)\.o\)$")
        for tree in ("windows-x64", "windows-x86"):
            with open(os.path.join(os.path.dirname(DIST), tree, "launcher.map")) as f:
                report = size_report.parse(f, members=True)
            with self.subTest(tree=tree):
                self.assertTrue(any(name.startswith("libstdc++.a(") for name in report))
                self.assertEqual(sorted(filter(unwanted.search, report)), [])

    def test_linux_launcher_is_a_stripped_x86_64_program(self):
        header = subprocess.run(["readelf", "-h", "-S", dist("launcher")], capture_output=True,
                                text=True, check=True).stdout
        self.assertIn("Advanced Micro Devices X86-64", header)
        self.assertNotIn(".symtab", header)
        print("launcher: %d bytes" % os.path.getsize(dist("launcher")))


class BrandedResources(unittest.TestCase):
    def test_every_language_carries_the_vendor_icon_version_record_and_manifest(self):
        with open(ICON, "rb") as f:
            images = icon_images(f.read())
        for name, _, architecture, original in WINDOWS:
            exe = dist(name)
            entries = list_resources(exe)
            languages = {lang for kind, _, lang in entries if kind == RT_VERSION}
            self.assertEqual(len(languages), 27, name)
            for kind in (RT_GROUP_ICON, RT_MANIFEST):
                self.assertEqual({lang for k, _, lang in entries if k == kind}, languages)
            for lang in languages:
                where = "%s, language %04X" % (name, lang)
                group = Reader(extract(RT_GROUP_ICON, 128, lang, exe))
                _, _, count = group.take("HHH")
                ids = [group.take("BBBBHHIH")[-1] for _ in range(count)]
                self.assertEqual([extract(RT_ICON, i, lang, exe) for i in ids], images, where)
                strings = version_strings(extract(RT_VERSION, 1, lang, exe))
                expected = dict(BRANDING, FileVersion=VERSION + ".0",
                                ProductVersion=VERSION + ".0", OriginalFilename=original)
                self.assertEqual(strings, expected, where)
            check_manifest(self, extract(RT_MANIFEST, 1, min(languages), exe), architecture)
            # Each language has its own entries, but equal bodies are stored once.
            self.assertEqual(len(stored_offsets(exe, RT_ICON)), len(images), name)
            self.assertEqual(len(stored_offsets(exe, RT_MANIFEST)), 1, name)


def stored_offsets(exe, kind):
    """The distinct file offsets at which the resources of one type are stored."""
    listing = subprocess.run(["wrestool", "-l", "--type=%d" % kind, exe], capture_output=True,
                             text=True, check=True).stdout
    return set(re.findall(r"offset=(0x[0-9a-f]+)", listing))


class ExampleSettings(unittest.TestCase):
    def test_every_key_the_launcher_reads_is_listed_with_a_comment_in_its_section(self):
        keys = settings_keys()
        self.assertGreaterEqual(len(keys), 30)  # the parse found the whole table
        with open(dist("launcher.ini"), encoding="utf-8") as f:
            lines = [line.rstrip("\n") for line in f]
        listed = set()
        section = None
        for number, line in enumerate(lines):
            header = re.fullmatch(r"\[(.+)\]", line)
            if header:
                section = header.group(1)
                continue
            entry = re.fullmatch(r";?([A-Za-z][A-Za-z ]*)=.*", line)
            if entry:
                self.assertRegex(lines[number - 1], r"^; \S", "no comment above " + line)
                listed.add((section, entry.group(1)))
        self.assertEqual(listed, keys)


def settings_keys():
    """(section, key) of every key constant in settings/settings.h, grouped under the section
    named by the comment above it."""
    with open(os.path.join(harness.source_dir(), "settings", "settings.h")) as f:
        text = f.read()
    body = text[text.index("namespace SettingsKey"):]
    keys, section = set(), None
    for line in body.splitlines():
        comment = re.match(r"// ([A-Za-z ]+?) \(", line)
        if comment:
            section = comment.group(1)
        constant = re.search(r'constexpr char \w+\[\] = "([^"]+)"', line)
        if constant:
            keys.add((section, constant.group(1)))
    return keys


class LinuxLauncherOutsideTheBuild(unittest.TestCase):
    def test_runs_the_demo_from_a_copy(self):
        folder = tempfile.mkdtemp(prefix="launcher-release-")
        self.addCleanup(shutil.rmtree, folder, True)
        shutil.copy2(dist("launcher"), os.path.join(folder, "demo"))
        shutil.copy2(os.environ["LAUNCHER_DEMO_JAR"], folder)
        shutil.copy2(os.path.join(harness.source_dir(), "demo", "demo.ini"), folder)
        completed = subprocess.run([os.path.join(folder, "demo"), "from the command line"],
                                   cwd="/", capture_output=True, text=True, timeout=120,
                                   env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertIn("Hello from Java", completed.stdout)
        self.assertRegex(completed.stdout, r"\[0\]\s+from the command line")
        self.assertRegex(completed.stdout, r"greeting\s+hello from demo.ini")


if __name__ == "__main__":
    unittest.main()
