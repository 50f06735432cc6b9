"""launcher.exe's resources as a standard tool (wrestool) lists and extracts them: every
resource in each of the 27 languages and none neutral, the texts of resources/texts, the
dialog templates' exact layout, the icon group, the version record and the manifest."""

import os
import re
import struct
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree

from harness import source_dir, windows_build_path

sys.path.insert(0, os.path.join(source_dir(), "resources"))
import generate_resources  # noqa: E402  (the loader of the texts' one source)

EXE = windows_build_path("launcher.exe")
RT_ICON, RT_STRING, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 6, 5, 14, 16, 24

WS_POPUP, WS_CHILD, WS_VISIBLE, WS_DISABLED = 0x80000000, 0x40000000, 0x10000000, 0x08000000
WS_CAPTION, WS_BORDER, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00800000, 0x00080000, 0x00040000
WS_HSCROLL, WS_VSCROLL, WS_TABSTOP, WS_EX_TRANSPARENT = 0x00100000, 0x00200000, 0x00010000, 0x20
DS_FIXEDSYS, DS_SETFONT, DS_MODALFRAME, DS_SETFOREGROUND = 0x08, 0x40, 0x80, 0x200
BS_DEFPUSHBUTTON, BS_GROUPBOX, ES_MULTILINE, ES_AUTOHSCROLL, ES_READONLY, SS_ICON = (
    0x01, 0x07, 0x04, 0x80, 0x800, 0x03)
BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
CHILD = WS_CHILD | WS_VISIBLE

# (id, class, style, extended style, x, y, width, height, text): a dialog key names a
# translated text, a number an ordinal (the system's error icon), None an empty text.
DIALOG_201 = {
    "style": WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
    "size": (0, 0, 219, 145),
    "controls": [
        (1, BUTTON, CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 0, 107, 122, 50, 14, "ok"),
        (2, BUTTON, CHILD | WS_TABSTOP, 0, 161, 122, 50, 14, "cancel"),
        (201, EDIT, CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, 0,
         60, 89, 94, 14, None),
        (0xFFFFFFFF, STATIC, CHILD, 0, 12, 92, 45, 8, "path_label"),
        (202, BUTTON, CHILD | WS_TABSTOP, 0, 157, 89, 50, 14, "browse"),
        (0xFFFFFFFF, BUTTON, CHILD | BS_GROUPBOX, 0, 8, 11, 203, 103, "group"),
        (204, STATIC, CHILD | SS_ICON, 0, 16, 24, 20, 20, 32513),
        (203, STATIC, CHILD, 0, 42, 24, 149, 40, None),
        (205, STATIC, CHILD, 0, 44, 64, 159, 8, "=" + os.environ["LAUNCHER_DOWNLOAD_URL"]),
        (206, STATIC, CHILD, 0, 12, 73, 195, 8, "browse_hint"),
    ],
}
DIALOG_231 = {
    "style": WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFOREGROUND | DS_SETFONT,
    "size": (0, 0, 275, 242),
    "controls": [
        (1, BUTTON, CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 153, 210, 50, 14, "ignore"),
        (2, BUTTON, CHILD | WS_TABSTOP, 0, 209, 210, 50, 14, "stop"),
        (209, BUTTON, CHILD | BS_GROUPBOX, WS_EX_TRANSPARENT, 8, 11, 259, 221, "group"),
        (204, STATIC, CHILD | SS_ICON, 0, 16, 26, 20, 20, 32513),
        (210, STATIC, CHILD, 0, 42, 28, 217, 16, "heading"),
        (208, EDIT, CHILD | ES_MULTILINE | ES_AUTOHSCROLL | WS_BORDER | WS_VSCROLL | WS_HSCROLL
         | WS_TABSTOP, 0,
         16, 54, 243, 102, None),
        (211, STATIC, CHILD, 0, 16, 164, 243, 18, "instructions"),
        (212, STATIC, CHILD, 0, 16, 187, 243, 18, "warning"),
    ],
}


def list_resources(exe=EXE):
    """(type, name, language) of every resource in the executable."""
    listing = subprocess.run(["wrestool", "-l", exe], capture_output=True, text=True, check=True)
    entries = []
    for line in listing.stdout.splitlines():
        match = re.match(r"--type=(\d+) --name=(\d+) --language=(\d+)", line)
        if not match:
            raise AssertionError("unexpected wrestool line: %r" % line)
        entries.append(tuple(int(part) for part in match.groups()))
    return entries


def extract(kind, name, language, exe=EXE):
    return subprocess.run(["wrestool", "-x", "--raw", "--type=%d" % kind, "--name=%d" % name,
                           "--language=%d" % language, exe], capture_output=True,
                          check=True).stdout


class Reader:
    """Little-endian reader over a resource's bytes."""

    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return value

    def text_or_ordinal(self):
        first = struct.unpack_from("<H", self.data, self.pos)[0]
        if first == 0xFFFF:
            self.pos += 2
            return self.take("H")
        return self.text() or None

    def align(self):
        self.pos = (self.pos + 3) & ~3


def parse_dialog(data):
    r = Reader(data)
    version, signature, _help, ex_style, style, count = r.take("HHIIIH")
    assert (version, signature) == (1, 0xFFFF), "not an extended dialog template"
    dialog = {"style": style, "ex_style": ex_style, "size": r.take("hhhh"),
              "menu": r.text_or_ordinal(), "class": r.text_or_ordinal(), "caption": r.text()}
    dialog["font"] = (r.take("HHBB"), r.text())
    dialog["controls"] = []
    for _ in range(count):
        r.align()
        _help, ex_style, style = r.take("III")
        x, y, cx, cy = r.take("hhhh")
        control_id = r.take("I")
        kind, text = r.text_or_ordinal(), r.text_or_ordinal()
        extra = r.take("H")
        r.pos += extra
        dialog["controls"].append((control_id, kind, style, ex_style, x, y, cx, cy, text))
    return dialog


def parse_bundle(data):
    """The 16 texts of a string-table bundle."""
    r, texts = Reader(data), []
    for _ in range(16):
        length = r.take("H")
        texts.append(data[r.pos:r.pos + 2 * length].decode("utf-16-le"))
        r.pos += 2 * length
    return texts


class LauncherResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.languages = generate_resources.load_languages(
            os.path.join(source_dir(), "resources", "texts"))
        cls.language_ids = {lang["language"] for lang in cls.languages}
        cls.entries = list_resources()

    def languages_of(self, kind, name):
        return {lang for k, n, lang in self.entries if (k, n) == (kind, name)}

    def test_every_resource_exists_in_each_language_and_none_is_neutral(self):
        self.assertEqual(len(self.language_ids), 27)
        for kind, name in [(RT_STRING, 13), (RT_STRING, 14), (RT_STRING, 15), (RT_DIALOG, 201),
                           (RT_DIALOG, 231), (RT_GROUP_ICON, 128), (RT_VERSION, 1),
                           (RT_MANIFEST, 1)]:
            self.assertEqual(self.languages_of(kind, name), self.language_ids, (kind, name))
        self.assertEqual({lang for _, _, lang in self.entries}, self.language_ids)
        self.assertEqual({(k, n) for k, n, _ in self.entries if k != RT_ICON},
                         {(RT_STRING, 13), (RT_STRING, 14), (RT_STRING, 15), (RT_DIALOG, 201),
                          (RT_DIALOG, 231), (RT_GROUP_ICON, 128), (RT_VERSION, 1),
                          (RT_MANIFEST, 1)})

    def test_string_tables_hold_every_language_s_texts(self):
        for lang in self.languages:
            texts = {}
            for bundle in (13, 14, 15):
                for position, text in enumerate(parse_bundle(
                        extract(RT_STRING, bundle, lang["language"]))):
                    if text:
                        texts[(bundle - 1) * 16 + position] = text
            self.assertEqual(texts, lang["strings"], lang["name"])

    def test_dialog_templates_have_the_exact_layout_and_translated_texts(self):
        for dialog_id, layout in ((201, DIALOG_201), (231, DIALOG_231)):
            for lang in self.languages:
                texts = lang["dialog"][dialog_id]
                dialog = parse_dialog(extract(RT_DIALOG, dialog_id, lang["language"]))
                where = "%s, dialog %d" % (lang["name"], dialog_id)
                self.assertEqual(dialog["style"], layout["style"], where)
                self.assertEqual(dialog["ex_style"], 0, where)
                self.assertEqual(dialog["size"], layout["size"], where)
                self.assertEqual((dialog["menu"], dialog["class"]), (None, None), where)
                self.assertEqual(dialog["caption"], texts["caption"], where)
                self.assertEqual(dialog["font"], ((8, 0, 0, 1), "MS Shell Dlg"), where)
                expected = []
                for *fields, text in layout["controls"]:
                    if isinstance(text, str):
                        text = text[1:] if text.startswith("=") else texts[text]
                    expected.append(tuple(fields) + (text,))
                self.assertEqual(dialog["controls"], expected, where)

    def test_icon_group_has_five_images_of_its_own_language(self):
        icons = {(name, lang) for kind, name, lang in self.entries if kind == RT_ICON}
        for lang in self.language_ids:
            r = Reader(extract(RT_GROUP_ICON, 128, lang))
            self.assertEqual(r.take("HHH"), (0, 1, 5))
            sizes = []
            for _ in range(5):
                width, _height, _colours, _reserved, _planes, bits, _bytes, icon_id = r.take(
                    "BBBBHHIH")
                sizes.append(width or 256)
                self.assertEqual(bits, 32)
                self.assertIn((icon_id, lang), icons)
            self.assertEqual(sorted(sizes), [16, 24, 32, 48, 256])

    def test_version_record_names_each_language(self):
        for lang in self.language_ids:
            data = extract(RT_VERSION, 1, lang)
            self.assertIn(("%04X04B0" % lang).encode("utf-16-le"), data)
            self.assertIn("Translation".encode("utf-16-le"), data)
            self.assertIn(struct.pack("<HH", lang, 1200), data)

    def test_manifest_asks_for_common_controls_6_dpi_awareness_and_as_invoker(self):
        manifests = {extract(RT_MANIFEST, 1, lang) for lang in self.language_ids}
        self.assertEqual(len(manifests), 1)
        check_manifest(self, manifests.pop(), "amd64")


MANIFEST_NAMESPACES = {
    "v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
    "compat": "urn:schemas-microsoft-com:compatibility.v1",
    "ws": "http://schemas.microsoft.com/SMI/2005/WindowsSettings",
    "ws16": "http://schemas.microsoft.com/SMI/2016/WindowsSettings"}
# Windows Vista, 7, 8, 8.1, and 10 and 11 (one identifier).
SUPPORTED_SYSTEMS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                     "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                     "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                     "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                     "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def check_manifest(test, data, architecture):
    root = ElementTree.fromstring(data)
    ns = MANIFEST_NAMESPACES
    test.assertEqual(root.find("v1:assemblyIdentity", ns).get("processorArchitecture"),
                     architecture)
    controls = root.find("v1:dependency/v1:dependentAssembly/v1:assemblyIdentity", ns)
    test.assertEqual(controls.get("name"), "Microsoft.Windows.Common-Controls")
    test.assertEqual(controls.get("version"), "6.0.0.0")
    settings = root.find("v3:application/v3:windowsSettings", ns)
    test.assertEqual(settings.find("ws:dpiAware", ns).text, "true")
    test.assertEqual(settings.find("ws16:longPathAware", ns).text, "true")
    test.assertEqual({os.get("Id") for os in root.iterfind(
        "compat:compatibility/compat:application/compat:supportedOS", ns)}, SUPPORTED_SYSTEMS)
    level = root.find("v3:trustInfo/v3:security/v3:requestedPrivileges/"
                      "v3:requestedExecutionLevel", ns)
    test.assertEqual((level.get("level"), level.get("uiAccess")), ("asInvoker", "false"))


if __name__ == "__main__":
    unittest.main()
