#!/usr/bin/env python3
"""What an executable is made of, from its GNU ld link map (-Wl,-Map=FILE): bytes per input
file (an archive member counts as its archive's part; our own objects by name) and per output
section, largest first.

    scripts/size_report.py build-release/windows-x64/launcher.map [--members] [--top N]

--members lists archive members one by one (which piece of the C++ runtime it is)."""

import argparse
import collections
import os
import re
import sys

# An input section: " .name  0xADDRESS  0xSIZE  file", or the name alone on its line when it
# is long, with the address, size and file on the next.
INPUT = re.compile(r"^ (\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
NAME_ONLY = re.compile(r"^ ([^*\s]\S*)$")
REST = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
OUTPUT = re.compile(r"^(\.\w+)\s")
SECTIONS = [".text", ".rdata", ".data", ".pdata", ".xdata", ".eh_frame", ".idata", ".rsrc"]


def owner(path, members):
    """The name a file's bytes are counted under: archive (or archive(member)) or object."""
    match = re.match(r"(.*\.a)\((.*)\)$", path)
    if match:
        archive = os.path.basename(match.group(1))
        return "%s(%s)" % (archive, match.group(2)) if members else archive
    name = os.path.basename(path)
    if name.endswith(".obj"):
        name = name[:-len(".obj")]
    return name


def parse(lines, members):
    """{owner: {output section: bytes}} of the sections the linker kept."""
    table = collections.defaultdict(collections.Counter)
    section = None
    pending = None
    started = False
    for line in lines:
        line = line.rstrip("\n")
        if not started:
            started = line.startswith("Linker script and memory map")
            continue
        output = OUTPUT.match(line)
        if output:
            section = output.group(1)
            continue
        if pending:
            rest = REST.match(line)
            pending = None
            if rest and section:
                table[owner(rest.group(3), members)][section] += int(rest.group(2), 16)
            continue
        found = INPUT.match(line)
        if found and section and not found.group(4).startswith("0x"):
            table[owner(found.group(4), members)][section] += int(found.group(3), 16)
        elif NAME_ONLY.match(line) and section:
            pending = True
    return table


def report(table, top):
    columns = SECTIONS + ["other"]
    rows = []
    for name, sizes in table.items():
        row = [sizes.get(s, 0) for s in SECTIONS]
        row.append(sum(v for s, v in sizes.items() if s not in SECTIONS))
        rows.append((sum(row), name, row))
    rows.sort(reverse=True)
    print("%-56s %8s " % ("file", "total") + " ".join("%8s" % c for c in columns))
    totals = [0] * len(columns)
    for total, name, row in rows:
        totals = [a + b for a, b in zip(totals, row)]
    for total, name, row in rows[:top]:
        print("%-56s %8d " % (name[-56:], total) + " ".join("%8d" % v for v in row))
    if len(rows) > top:
        print("... %d more" % (len(rows) - top))
    print("%-56s %8d " % ("all", sum(totals)) + " ".join("%8d" % v for v in totals))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("map")
    parser.add_argument("--members", action="store_true")
    parser.add_argument("--top", type=int, default=40)
    args = parser.parse_args()
    with open(args.map) as f:
        table = parse(f, args.members)
    if not table:
        sys.exit("no input sections found in %s: not a GNU ld link map?" % args.map)
    report(table, args.top)


if __name__ == "__main__":
    main()
