"""Starts or stops the Wine session of one ctest run: a fresh prefix inside the build folder
and a private Xvfb display. Called as a ctest fixture (start / stop)."""

import os
import shutil
import subprocess
import sys
import time

from harness import WINE, wine_state_dir, wine_base_env


def start():
    state = wine_state_dir()
    stop(quiet=True)
    shutil.rmtree(state, ignore_errors=True)
    os.makedirs(state)
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        display = reader.readline().strip()
    if not display:
        sys.exit("Xvfb did not report a display")
    with open(os.path.join(state, "xvfb.pid"), "w") as f:
        f.write(str(xvfb.pid))
    with open(os.path.join(state, "display"), "w") as f:
        f.write(":" + display)
    env = wine_base_env()
    started = time.monotonic()
    subprocess.run([WINE, "wineboot", "-i"], env=env, check=True, timeout=300,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=env, timeout=300)
    print("wine prefix ready in %.1f s, display :%s" % (time.monotonic() - started, display))


def stop(quiet=False):
    state = wine_state_dir()
    if os.path.isdir(os.path.join(state, "prefix")):
        subprocess.run(["wineserver", "-k"], env=wine_base_env(), stderr=subprocess.DEVNULL)
    pid_file = os.path.join(state, "xvfb.pid")
    if os.path.exists(pid_file):
        with open(pid_file) as f:
            pid = int(f.read())
        try:
            os.kill(pid, 15)
        except ProcessLookupError:
            pass
        os.remove(pid_file)
    if not quiet:
        print("wine session stopped")


if __name__ == "__main__":
    {"start": start, "stop": stop}[sys.argv[1]]()
