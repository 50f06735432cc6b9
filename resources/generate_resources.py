#!/usr/bin/env python3
"""Builds the launcher's resource script and the POSIX message table from the texts of all
languages (resources/texts/*.toml), so that every text is written in one place only.

    generate_resources.py --texts DIR --template FILE --icon FILE --manifest FILE
                          --rc OUT.rc --table OUT.cpp
                          [--product-name TEXT] [--company TEXT] [--copyright TEXT]
                          [--version 1.2.3.4] [--original-filename NAME]

The branding options fill the version record of every language.
"""

import argparse
import hashlib
import os
import re
import sys
import tomllib

FIRST_ID = 202
LAST_ID = 230
REFERENCE = "en-US"


class TextError(Exception):
    pass


def load_languages(texts_dir):
    """Every language of texts_dir, sorted by language id. A file may name another with
    `based_on` and then lists only the texts in which it differs."""
    raw = {}
    for file_name in sorted(os.listdir(texts_dir)):
        if file_name.endswith(".toml"):
            with open(os.path.join(texts_dir, file_name), "rb") as f:
                raw[file_name[:-5]] = tomllib.load(f)
    if REFERENCE not in raw:
        raise TextError("no %s.toml in %s" % (REFERENCE, texts_dir))
    languages = [_resolve(tag, raw) for tag in raw]
    reference = next(lang for lang in languages if lang["tag"] == REFERENCE)
    for language in languages:
        _check_complete(language, reference)
    ids = [lang["language"] for lang in languages]
    if len(set(ids)) != len(ids):
        raise TextError("two files carry the same language id")
    return sorted(languages, key=lambda lang: lang["language"])


def _resolve(tag, raw):
    entry = raw[tag]
    base_tag = entry.get("based_on")
    base = _resolve(base_tag, raw) if base_tag else {"strings": {}, "dialog": {}}
    strings = dict(base["strings"])
    strings.update({int(key): value for key, value in entry.get("strings", {}).items()})
    dialogs = {dialog: dict(texts) for dialog, texts in base["dialog"].items()}
    for dialog, texts in entry.get("dialog", {}).items():
        dialogs.setdefault(int(dialog), {}).update(texts)
    return {"tag": tag, "language": entry["language"], "name": entry["name"],
            "locales": entry["locales"], "strings": strings, "dialog": dialogs}


def _check_complete(language, reference):
    where = language["tag"]
    if sorted(language["strings"]) != list(range(FIRST_ID, LAST_ID + 1)):
        raise TextError("%s: string entries must be exactly %d to %d" % (where, FIRST_ID, LAST_ID))
    for dialog, texts in reference["dialog"].items():
        if sorted(language["dialog"].get(dialog, {})) != sorted(texts):
            raise TextError("%s: dialog %d needs the texts %s" % (where, dialog, sorted(texts)))


def rc_string(text):
    if any(ord(c) < 0x20 and c != "\n" for c in text):
        raise TextError("control character in %r" % text)
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '""').replace("\n", "\\n")


def cpp_string(text):
    out = []
    for byte in text.encode("utf-8"):
        c = chr(byte)
        if c in '"\\':
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif 0x20 <= byte < 0x7F:
            out.append(c)
        else:
            out.append("\\%03o" % byte)  # octal: at most three digits, never swallows the next
    return '"%s"' % "".join(out)


def rc_path(path):
    return rc_string(os.path.abspath(path).replace("\\", "/"))


def version_numbers(text):
    """The four 16-bit numbers of a version text of one to four dotted parts."""
    parts = text.split(".")
    if not 1 <= len(parts) <= 4 or not all(p.isdigit() and int(p) <= 0xFFFF for p in parts):
        raise TextError("version %r: one to four dotted numbers of 0 to 65535" % text)
    return [int(p) for p in parts] + [0] * (4 - len(parts))


def branding_replacements(branding):
    numbers = version_numbers(branding["version"])
    return {
        "@VERSION_NUMBERS@": ", ".join(str(n) for n in numbers),
        "@VERSION_TEXT@": rc_string(".".join(str(n) for n in numbers)),
        "@PRODUCT_NAME@": rc_string(branding["product_name"]),
        "@COMPANY@": rc_string(branding["company"]),
        "@COPYRIGHT@": rc_string(branding["copyright"]),
        "@ORIGINAL_FILENAME@": rc_string(branding["original_filename"]),
    }


def language_block(language, template, icon, manifest, branding):
    langid = language["language"]
    replacements = {
        "@LANGUAGE_ID@": "0x%04X" % langid,
        "@VERSION_BLOCK@": '"%04X04B0"' % langid,
        "@ICON_FILE@": rc_path(icon),
        "@MANIFEST_FILE@": rc_path(manifest),
    }
    replacements.update(branding_replacements(branding))
    for dialog, texts in language["dialog"].items():
        for key, text in texts.items():
            replacements["@%d.%s@" % (dialog, key)] = rc_string(text)
    block = template
    for placeholder, value in replacements.items():
        block = block.replace(placeholder, value)
    if re.search(r"@[0-9A-Za-z_.]+@", block):
        raise TextError("unreplaced placeholder in the template for %s" % language["tag"])
    strings = "\n".join("    %d %s" % (i, rc_string(language["strings"][i]))
                        for i in range(FIRST_ID, LAST_ID + 1))
    return ("// %s\nLANGUAGE 0x%02X, 0x%02X\n\nSTRINGTABLE\nBEGIN\n%s\nEND\n\n%s" %
            (language["name"], langid & 0x3FF, langid >> 10, strings, block))


def write_rc(languages, template_path, icon, manifest, branding, out):
    with open(template_path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    while lines and (lines[0].startswith("//") or not lines[0].strip()):
        lines.pop(0)  # the template's own header comment
    template = "\n".join(lines)
    parts = ["// Generated by resources/generate_resources.py from resources/texts; do not edit.",
             "// Icon and manifest digest: %s" % _digest(icon, manifest),
             "#pragma code_page(65001)", "#include <windows.h>", ""]
    parts += [language_block(lang, template, icon, manifest, branding) for lang in languages]
    _write_if_changed(out, "\n".join(parts))


def _digest(*paths):
    digest = hashlib.sha256()
    for path in paths:
        if os.path.exists(path):
            with open(path, "rb") as f:
                digest.update(f.read())
    return digest.hexdigest()[:16]


def write_table(languages, out):
    rows = []
    for lang in languages:
        locales = ", ".join(cpp_string(locale) for locale in lang["locales"])
        strings = ",\n          ".join(cpp_string(lang["strings"][i])
                                        for i in range(FIRST_ID, LAST_ID + 1))
        dialog_texts = ",\n          ".join(
            "{%d, %s, %s}" % (dialog, cpp_string(key), cpp_string(text))
            for dialog, texts in sorted(lang["dialog"].items())
            for key, text in texts.items())
        rows.append("        {0x%04X, %s,\n         {%s},\n         {%s},\n         {%s}}" %
                    (lang["language"], cpp_string(lang["name"]), locales, strings, dialog_texts))
    text = """// Generated by resources/generate_resources.py from resources/texts; do not edit.
#include "ui/message_table.h"

const std::vector<MessageLanguage>& messageLanguages() {
    static const std::vector<MessageLanguage> languages = {
%s};
    return languages;
}
""" % ",\n".join(rows)
    _write_if_changed(out, text)


def _write_if_changed(path, text):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--texts", required=True)
    parser.add_argument("--template", required=True)
    parser.add_argument("--icon", required=True)
    parser.add_argument("--manifest", required=True)
    parser.add_argument("--rc", required=True)
    parser.add_argument("--table", required=True)
    parser.add_argument("--product-name", default="Java Application Launcher")
    parser.add_argument("--company", default="")
    parser.add_argument("--copyright", default="")
    parser.add_argument("--version", default="1.0.0.0")
    parser.add_argument("--original-filename", default="launcher.exe")
    args = parser.parse_args()
    branding = {"product_name": args.product_name, "company": args.company,
                "copyright": args.copyright, "version": args.version,
                "original_filename": args.original_filename}
    try:
        languages = load_languages(args.texts)
        write_rc(languages, args.template, args.icon, args.manifest, branding, args.rc)
        write_table(languages, args.table)
    except TextError as error:
        sys.exit("generate_resources: %s" % error)


if __name__ == "__main__":
    main()
