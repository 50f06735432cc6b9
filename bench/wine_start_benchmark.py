"""Under Wine: the start of launcher.exe up to the VM step against an empty Win32 program.

launcher.exe runs with the test VM library (tests/tools/fake_jvm_win32.cpp) as its jvm.dll and
the main class fake/Main, whose main returns at once, so a run is the launcher's own start:
process start, settings, runtime, options, main thread, and the few calls into the stand-in VM.
The empty program (bench/empty_win32.c, built like the launcher) is the floor of a Win32
process start under Wine; "user32" is the same program linked with user32, as the launcher is
for its message boxes, which shows what starting Wine's windowing library costs. Both run alternately in one Wine prefix whose wineserver is kept
running, so that no run pays for starting Wine's server. Needs the full build (the Windows
tree in <build>/windows)."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

from measure import Command, load_text, print_table, run, run_alternating

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
WINE = "/usr/lib/wine/wine64"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_env(prefix):
    return {"WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}


def start_wine(prefix):
    """Creates the prefix when it is missing and starts a wineserver that stays until stopped."""
    env = dict(os.environ, **wine_env(prefix))
    env.pop("DISPLAY", None)
    if not os.path.isdir(os.path.join(prefix, "drive_c")):
        print("creating the Wine prefix %s" % prefix, file=sys.stderr)
        run([WINE, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
    # A server of this prefix may still linger (wineboot's); the new one goes to the
    # background and stays until "wineserver -k".
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
    run(["wineserver", "-p"], env=env)


def stop_wine(prefix):
    env = dict(os.environ, **wine_env(prefix))
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)


def compiler():
    for name in ("x86_64-w64-mingw32-gcc-posix", "x86_64-w64-mingw32-gcc"):
        if shutil.which(name):
            return name
    raise RuntimeError("no MinGW-w64 compiler")


def build_empty_programs(work):
    """The empty Win32 program, and the same linked with user32: name -> path."""
    empties = {}
    for name, defines in (("empty", []), ("user32", ["-DWITH_USER32"])):
        empties[name] = os.path.join(work, name + ".exe")
        run([compiler(), "-O2", "-municode", "-mwindows", "-static", "-o", empties[name]] +
            defines + [os.path.join(HERE, "empty_win32.c")])
    return empties


def prepare(work, windows_build):
    empties = build_empty_programs(work)

    app = os.path.join(work, "app")
    library = os.path.join(app, "jre", "bin", "server", "jvm.dll")
    os.makedirs(os.path.dirname(library))
    shutil.copy2(os.path.join(windows_build, "tests", "tools", "fake_jvm.dll"), library)
    open(os.path.join(app, "app.jar"), "wb").close()
    tool = os.path.join(app, "tool.exe")
    shutil.copy2(os.path.join(windows_build, "launcher.exe"), tool)
    with open(os.path.join(app, "tool.ini"), "w", newline="") as f:
        f.write("[Java Runtime Environment]\r\nJRE Path=%s\r\nJVM Type=server\r\n"
                "Main Class=fake.Main\r\n[Class Path]\r\nClass Path=%s\r\n"
                % (windows_path(os.path.join(app, "jre")), windows_path(os.path.join(app, "app.jar"))))
    return {
        "launcher": Command([WINE, tool]),
        "user32": Command([WINE, empties["user32"]]),
        "empty": Command([WINE, empties["empty"]]),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=40)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--prefix", help="Wine prefix to use (default: <build>/bench-wine)")
    options = parser.parse_args()
    windows_build = os.path.join(options.build, "windows")
    prefix = os.path.abspath(options.prefix or os.path.join(options.build, "bench-wine"))

    work = tempfile.mkdtemp(prefix="launcher-bench-wine-")
    try:
        commands = prepare(work, windows_build)
        for command in commands.values():
            command.env.update(wine_env(prefix))
        start_wine(prefix)
        # Runs without a display: the start makes no window.
        display = os.environ.pop("DISPLAY", None)
        try:
            load_before = load_text()
            samples = run_alternating(commands, options.rounds, options.warmup, work)
        finally:
            if display is not None:
                os.environ["DISPLAY"] = display
        print("Under Wine: launcher.exe up to the VM step (test VM library, main returns at once)"
              " against an empty Win32 program; %d rounds, medians" % options.rounds)
        print("before: %s\nafter:  %s" % (load_before, load_text()))
        print_table("", samples, "empty", {
            "launcher": "launcher.exe with the test VM library, main class fake/Main",
            "user32": "empty Win32 program that links user32",
            "empty": "empty Win32 program (kernel32 and the C runtime only)"})
        print("  (CPU time is that of the Wine process; the wineserver's share is not in it)")
    finally:
        stop_wine(prefix)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
