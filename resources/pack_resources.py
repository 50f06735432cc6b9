#!/usr/bin/env python3
"""Turns a compiled resource file (.res, as `windres -O res` writes it) into a COFF object
whose .rsrc section stores each distinct resource body once.

Every language carries its own copy of the icon images, the manifest and, for languages
that share texts, string bundles and dialogs. The resource directory keeps one entry per
type, name and language, as the system's resource loader expects, but entries with equal
bytes point at the same data: 27 copies of a vendor's icon cost the size of one.

    pack_resources.py --machine amd64|i386 IN.res OUT.obj
"""

import argparse
import struct
import sys

MACHINES = {"amd64": (0x8664, 3), "i386": (0x014C, 7)}  # machine, its 32-bit image-relative reloc
DIRECTORY, ENTRY, DATA_ENTRY = 16, 8, 16
SUBDIRECTORY = 0x80000000
SECTION_FLAGS = 0x40000040 | 0x00300000  # initialised data, readable, 4-byte aligned


class ResourceError(Exception):
    pass


def read_res(data):
    """[(type, name, language, bytes)] of a .res file; types and names must be ordinals."""
    resources = []
    pos = 0
    while pos + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, pos)
        kind, name = _ordinal(data, pos + 8), _ordinal(data, pos + 12)
        # Both ordinals: the DWORD-aligned rest starts 16 bytes in; the language follows
        # the data version (4 bytes) and the memory flags (2 bytes).
        language = struct.unpack_from("<H", data, pos + 22)[0]
        body = data[pos + header_size:pos + header_size + size]
        if size or kind or name:  # the leading empty entry only marks the file format
            resources.append((kind, name, language, body))
        pos = (pos + header_size + size + 3) & ~3
    return resources


def _ordinal(data, pos):
    if data[pos:pos + 2] != b"\xff\xff":
        raise ResourceError("only numbered resource types and names are supported")
    return struct.unpack_from("<H", data, pos + 2)[0]


def resource_tree(resources):
    """{type: {name: {language: body}}}."""
    tree = {}
    for kind, name, language, body in resources:
        languages = tree.setdefault(kind, {}).setdefault(name, {})
        if language in languages:
            raise ResourceError("resource %d/%d/%d twice" % (kind, name, language))
        languages[language] = body
    return tree


def table(entries):
    """A directory table: its header, then (identifier, offset) entries in ascending order."""
    out = struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(entries))
    return out + b"".join(struct.pack("<II", ident, target) for ident, target in entries)


def build_section(resources):
    """The .rsrc bytes and the offsets of the data entries' RVA fields (to relocate).
    Layout: the type table, every name table, every language table, the data entries, then
    each distinct body once (8-byte aligned)."""
    tree = resource_tree(resources)
    types = sorted(tree)
    names = [(kind, name) for kind in types for name in sorted(tree[kind])]
    leaves = [(kind, name, lang) for kind, name in names for lang in sorted(tree[kind][name])]

    offset = DIRECTORY + ENTRY * len(types)
    name_table_at, language_table_at = {}, {}
    for kind in types:
        name_table_at[kind] = offset
        offset += DIRECTORY + ENTRY * len(tree[kind])
    for kind, name in names:
        language_table_at[(kind, name)] = offset
        offset += DIRECTORY + ENTRY * len(tree[kind][name])
    data_entry_at = {leaf: offset + DATA_ENTRY * i for i, leaf in enumerate(leaves)}
    offset += DATA_ENTRY * len(leaves)

    body_at, bodies = {}, bytearray()
    for kind, name, lang in leaves:
        body = tree[kind][name][lang]
        if body not in body_at:
            body_at[body] = offset + len(bodies)
            bodies += body + b"\0" * (-len(body) % 8)

    section = bytearray(table([(kind, SUBDIRECTORY | name_table_at[kind]) for kind in types]))
    for kind in types:
        section += table([(name, SUBDIRECTORY | language_table_at[(kind, name)])
                          for name in sorted(tree[kind])])
    for kind, name in names:
        section += table([(lang, data_entry_at[(kind, name, lang)])
                          for lang in sorted(tree[kind][name])])
    relocations = []
    for kind, name, lang in leaves:
        body = tree[kind][name][lang]
        relocations.append(len(section))
        section += struct.pack("<IIII", body_at[body], len(body), 0, 0)
    return bytes(section + bodies), relocations


def coff_object(section, relocations, machine):
    machine_id, relocation_type = MACHINES[machine]
    header_size, section_header_size = 20, 40
    raw_at = header_size + section_header_size
    relocations_at = raw_at + len(section)
    symbols_at = relocations_at + 10 * len(relocations)
    out = bytearray()
    out += struct.pack("<HHIIIHH", machine_id, 1, 0, symbols_at, 2, 0, 0)
    out += struct.pack("<8sIIIIIIHHI", b".rsrc", 0, 0, len(section), raw_at, relocations_at, 0,
                       len(relocations), 0, SECTION_FLAGS)
    out += section
    for offset in relocations:
        out += struct.pack("<IIH", offset, 0, relocation_type)
    # The section symbol the relocations refer to, with its section-definition record.
    out += struct.pack("<8sIhHBB", b".rsrc", 0, 1, 0, 3, 1)
    out += struct.pack("<IHHIHB3x", len(section), len(relocations), 0, 0, 0, 0)
    out += struct.pack("<I", 4)  # empty string table
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("res")
    parser.add_argument("obj")
    args = parser.parse_args()
    try:
        with open(args.res, "rb") as f:
            section, relocations = build_section(read_res(f.read()))
    except ResourceError as error:
        sys.exit("pack_resources: %s" % error)
    with open(args.obj, "wb") as f:
        f.write(coff_object(section, relocations, args.machine))


if __name__ == "__main__":
    main()
