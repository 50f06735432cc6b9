"""Runs the cross-built unit tests under Wine (or the unit_tests.exe named as the argument);
the test passes when all of them pass."""

import subprocess
import sys

from harness import WINE, windows_build_path, wine_base_env

tests = sys.argv[1] if len(sys.argv) > 1 else windows_build_path("tests", "unit_tests.exe")
result = subprocess.run([WINE, tests],
                        env=wine_base_env(), timeout=600)
sys.exit(0 if result.returncode == 0 else 1)
