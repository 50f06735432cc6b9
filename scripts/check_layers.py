#!/usr/bin/env python3
"""Fails when a source file includes a header of a higher layer. The layers, bottom to top:
support; settings and ui; discovery and splash; vmhost; instance; launch. A file may include
its own folder and any lower layer. Includes that break the order today are listed in
scripts/layer_allowlist.txt; that list may only shrink: an entry that no longer occurs fails
too, so it is taken out in the change that mends it."""

import os
import re
import sys

LAYERS = {"support": 0, "settings": 1, "ui": 1, "discovery": 2, "splash": 2,
          "vmhost": 3, "instance": 4, "launch": 5}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"', re.MULTILINE)


def upward_includes(root):
    found = set()
    for folder in LAYERS:
        for directory, _, names in os.walk(os.path.join(root, folder)):
            for name in names:
                if not name.endswith((".h", ".cpp", ".c")):
                    continue
                path = os.path.join(directory, name)
                source = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    for target_folder, rest in INCLUDE.findall(f.read()):
                        if target_folder == folder or target_folder not in LAYERS:
                            continue
                        if LAYERS[target_folder] >= LAYERS[folder]:
                            found.add("%s -> %s/%s" % (source, target_folder, rest))
    return found


def read_allowlist(path):
    with open(path, encoding="utf-8") as f:
        return {line.strip() for line in f if line.strip() and not line.startswith("#")}


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    allowlist_path = os.path.join(root, "scripts", "layer_allowlist.txt")
    found = upward_includes(root)
    allowed = read_allowlist(allowlist_path)
    new = sorted(found - allowed)
    gone = sorted(allowed - found)
    for line in new:
        print("include against the layer order: " + line)
    for line in gone:
        print("no longer occurs, take it out of scripts/layer_allowlist.txt: " + line)
    print("%d includes against the layer order, %d of them on the allow-list"
          % (len(found), len(found & allowed)))
    return 1 if new or gone else 0


if __name__ == "__main__":
    sys.exit(main())
