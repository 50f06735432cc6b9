#!/usr/bin/env python3
"""Fails when a source file includes a header of a higher layer. The layers, bottom to top:
support; settings and ui; discovery and splash; vmhost; instance; launch. A file may include
its own folder and any lower layer.

    scripts/check_layers.py [source root]      (default: this checkout)"""

import os
import re
import sys

LAYERS = {"support": 0, "settings": 1, "ui": 1, "discovery": 2, "splash": 2,
          "vmhost": 3, "instance": 4, "launch": 5}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"', re.MULTILINE)


def upward_includes(root):
    found = []
    for folder in LAYERS:
        for directory, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp", ".c")):
                    continue
                path = os.path.join(directory, name)
                source = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    for target_folder, rest in INCLUDE.findall(f.read()):
                        if target_folder == folder or target_folder not in LAYERS:
                            continue
                        if LAYERS[target_folder] >= LAYERS[folder]:
                            found.append("%s -> %s/%s" % (source, target_folder, rest))
    return found


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    found = upward_includes(root)
    for line in found:
        print("include against the layer order: " + line)
    print("%d includes against the layer order" % len(found))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
