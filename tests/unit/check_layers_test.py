"""The layer check itself: a tree with one upward include fails and names it; the same tree
with the include pointing down passes."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                     "check_layers.py")


def write(root, path, text):
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w") as f:
        f.write(text)


def check(root):
    return subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)


class CheckLayers(unittest.TestCase):
    def test_only_includes_of_the_own_folder_and_lower_layers_pass(self):
        cases = [  # (file, its include, passes)
            ("launch/launcher.h", "instance/instance_state.h", True),
            ("vmhost/vm_host.cpp", "launch/launcher.h", False),
            # Folders of the same rank do not include each other.
            ("ui/messages.h", "settings/settings.h", False),
        ]
        for source, include, passes in cases:
            with tempfile.TemporaryDirectory() as root:
                write(root, "support/trace.h", "#pragma once\n")
                write(root, source, '#include "support/trace.h"\n  #  include "%s"\n' % include)
                result = check(root)
                self.assertEqual(result.returncode, 0 if passes else 1, (source, include))
                line = "%s -> %s" % (source, include)
                self.assertEqual(line in result.stdout, not passes, result.stdout)


if __name__ == "__main__":
    unittest.main()
