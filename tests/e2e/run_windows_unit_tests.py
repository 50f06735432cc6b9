"""Runs the cross-built unit tests under Wine; the test passes when all of them pass."""

import subprocess
import sys

from harness import WINE, windows_build_path, wine_base_env

result = subprocess.run([WINE, windows_build_path("tests", "unit_tests.exe")],
                        env=wine_base_env(), timeout=600)
sys.exit(0 if result.returncode == 0 else 1)
