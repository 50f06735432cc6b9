"""The hand-over of a later start in single-instance mode: from the launch of a later start to
its exit, while the first start runs, against the start of an empty native program.

Linux: the first start runs bench/java/Resident.java on the real VM; its int secondaryMain
returns at once, so a later start is its own process start, the settings, the hand-over and the
answer of a call into Java. Under Wine (--wine): launcher.exe with the test VM library as its
jvm.dll and the main class fake/Single, whose secondaryMain returns at once too, against the
empty Win32 program of bench/empty_win32.c (and the same linked with user32, whose start is
most of any windowing program's start under Wine) in the same kept-running Wine server."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

from measure import Command, load_text, print_table, run, run_alternating
from wine_start_benchmark import (WINE, build_empty_programs, start_wine, stop_wine, wine_env,
                                  windows_path)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def wait_for(path, process, timeout=60):
    deadline = time.monotonic() + timeout
    while not os.path.exists(path):
        if process.poll() is not None or time.monotonic() > deadline:
            raise RuntimeError("the first start did not come up (exit %s)" % process.poll())
        time.sleep(0.05)


def prepare_linux(work, java_home, launcher):
    classes = os.path.join(work, "classes")
    run([os.path.join(java_home, "bin", "javac"), "-d", classes,
         os.path.join(HERE, "java", "Resident.java")])
    app = os.path.join(work, "app")
    os.makedirs(app)
    run([os.path.join(java_home, "bin", "jar"), "cf", os.path.join(app, "resident.jar"),
         "-C", classes, "."])
    shutil.copy2(launcher, os.path.join(app, "tool"))
    with open(os.path.join(app, "tool.ini"), "w", newline="") as f:
        f.write("[Java Runtime Environment]\r\nJRE Path=%s\r\nMain Class=bench.Resident\r\n"
                "[Class Path]\r\nClass Path=resident.jar\r\n[Application]\r\n"
                "Single Instance=yes\r\n" % java_home)
    empty = os.path.join(work, "empty")
    with open(empty + ".c", "w") as f:
        f.write("int main(void) { return 0; }\n")
    run(["gcc", "-O2", "-o", empty, empty + ".c"])
    first = subprocess.Popen([os.path.join(app, "tool")], cwd=app)
    wait_for(os.path.join(app, "ready"), first)
    commands = {"later": Command([os.path.join(app, "tool"), "some", "argument"]),
                "empty": Command([empty])}
    return app, first, commands


def prepare_wine(work, windows_build, prefix):
    empties = build_empty_programs(work)
    app = os.path.join(work, "app")
    library = os.path.join(app, "jre", "bin", "server", "jvm.dll")
    os.makedirs(os.path.dirname(library))
    shutil.copy2(os.path.join(windows_build, "tests", "tools", "fake_jvm.dll"), library)
    tool = os.path.join(app, "tool.exe")
    shutil.copy2(os.path.join(windows_build, "launcher.exe"), tool)
    with open(os.path.join(app, "tool.ini"), "w", newline="") as f:
        f.write("[Java Runtime Environment]\r\nJRE Path=%s\r\nJVM Type=server\r\n"
                "Main Class=fake.Single\r\n[Class Path]\r\nClass Path=C:\\app.jar\r\n"
                "[Application]\r\nSingle Instance=yes\r\n" % windows_path(os.path.join(app, "jre")))
    env = dict(os.environ, **wine_env(prefix), FAKE_JVM_STOP=windows_path(os.path.join(app, "stop")),
               FAKE_JVM_RECORD=windows_path(os.path.join(app, "record.txt")))
    first = subprocess.Popen([WINE, tool, "first"], cwd=app, env=env)
    wait_for(os.path.join(app, "record.txt"), first)
    time.sleep(1)  # the record is written as main begins; the listener is up before
    commands = {"later": Command([WINE, tool, "answer=0"], wine_env(prefix)),
                "user32": Command([WINE, empties["user32"]], wine_env(prefix)),
                "empty": Command([WINE, empties["empty"]], wine_env(prefix))}
    return app, first, commands


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=100)
    parser.add_argument("--warmup", type=int, default=5)
    parser.add_argument("--launcher", default=os.path.join(ROOT, "build", "launcher"))
    parser.add_argument("--java-home", default="/usr/lib/jvm/java-17-openjdk-amd64")
    parser.add_argument("--wine", action="store_true", help="launcher.exe under Wine instead")
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="launcher-bench-single-")
    prefix = os.path.abspath(os.path.join(options.build, "bench-wine"))
    first = None
    try:
        if options.wine:
            start_wine(prefix)
            app, first, commands = prepare_wine(work, os.path.join(options.build, "windows"),
                                                prefix)
        else:
            app, first, commands = prepare_linux(work, options.java_home, options.launcher)
        load_before = load_text()
        samples = run_alternating(commands, options.rounds, options.warmup, work)
        print("Later start in single-instance mode%s, launch to exit, against an empty program;"
              " %d rounds, medians" % (" under Wine" if options.wine else "", options.rounds))
        print("before: %s\nafter:  %s" % (load_before, load_text()))
        print_table("", samples, "empty", {
            "later": "a later start whose arguments secondaryMain answers at once",
            "user32": "the empty Win32 program linked with user32, as the launcher is",
            "empty": "an empty native program"})
    finally:
        if first is not None:
            open(os.path.join(app, "stop"), "w").close()
            first.wait(timeout=60)
        if options.wine:
            stop_wine(prefix)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
