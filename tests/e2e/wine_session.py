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
    display = ":" + display
    env = wine_base_env()
    started = time.monotonic()
    # A first start of Wine now and then fails on a loaded machine; a second try from a clean
    # prefix is what a person would do, and the output of a failure is kept for the log.
    for attempt in (1, 2):
        boot = subprocess.run([WINE, "wineboot", "-i"], env=env, timeout=300,
                              capture_output=True, text=True, errors="replace")
        waited = subprocess.run(["wineserver", "-w"], env=env, timeout=300)
        if boot.returncode == 0 and waited.returncode == 0:
            break
        print("wineboot attempt %d failed (%d):\n%s%s" % (attempt, boot.returncode,
                                                          boot.stdout, boot.stderr[-4000:]))
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        shutil.rmtree(env["WINEPREFIX"], ignore_errors=True)
    else:
        sys.exit("could not create the Wine prefix")
    print("wine prefix ready in %.1f s, display %s" % (time.monotonic() - started, display))


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
