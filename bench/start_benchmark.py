"""Whole-process start of a Java program whose main returns at once, side by side:

  launcher  our launcher (build/launcher) hosting the VM in its own process
  java      OpenJDK's own java command
  jpackage  the same program packaged with jpackage --type app-image, through its native launcher
  floor     a minimal C host: load libjvm.so, create the VM, call main (the in-process limit)
  thread    (--thread-floor) the floor host with the VM made on a second thread that the first
            thread waits for, as our launcher and the java command do

The commands run alternately, round after round, so that drifts of the machine hit all alike.
Wall time, CPU time (user + system) and peak resident memory come from wait4() of each child.
All use the same runtime (--java-home). With --phases, a second pass runs launcher, floor
and java once more with bench/start_phases.c preloaded and reports where the time goes."""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from measure import Command, load_text, print_table, run, run_alternating

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def java_includes(java_home):
    return ["-I" + os.path.join(java_home, "include"),
            "-I" + os.path.join(java_home, "include", "linux")]


def compile_hosts(work, java_home):
    """The floor host, and the same with the VM on a second thread."""
    hosts = {}
    for name, defines in (("floor", []), ("thread", ["-DFLOOR_ON_SECOND_THREAD"])):
        hosts[name] = os.path.join(work, "%s_host" % name)
        run(["gcc", "-O2", "-o", hosts[name], os.path.join(HERE, "floor_host.c")] + defines +
            java_includes(java_home) + ["-ldl", "-lpthread"])
    return hosts


def prepare(work, java_home, launcher, thread_floor):
    classes = os.path.join(work, "classes")
    app = os.path.join(work, "app")
    os.makedirs(classes)
    os.makedirs(app)
    run([os.path.join(java_home, "bin", "javac"), "-d", classes,
         os.path.join(HERE, "java", "Empty.java")])
    jar = os.path.join(app, "empty.jar")
    run([os.path.join(java_home, "bin", "jar"), "cf", jar, "-C", classes, "."])
    hosts = compile_hosts(work, java_home)

    shutil.copy2(launcher, os.path.join(app, "empty"))
    with open(os.path.join(app, "empty.ini"), "w") as f:
        f.write("[Java Runtime Environment]\r\nJRE Path=%s\r\nMain Class=bench.Empty\r\n"
                "[Class Path]\r\nClass Path=empty.jar\r\n" % java_home)

    images = os.path.join(work, "images")
    run([os.path.join(java_home, "bin", "jpackage"), "--type", "app-image", "--input", app,
         "--main-jar", "empty.jar", "--main-class", "bench.Empty", "--name", "EmptyApp",
         "--dest", images], stdout=subprocess.DEVNULL)
    libjvm = os.path.join(java_home, "lib", "server", "libjvm.so")
    commands = {
        "launcher": Command([os.path.join(app, "empty")]),
        "java": Command([os.path.join(java_home, "bin", "java"), "-cp", jar, "bench.Empty"]),
        "jpackage": Command([os.path.join(images, "EmptyApp", "bin", "EmptyApp")]),
    }
    if thread_floor:
        commands["thread"] = Command([hosts["thread"], libjvm, jar, "bench/Empty"])
    commands["floor"] = Command([hosts["floor"], libjvm, jar, "bench/Empty"])
    return commands


# The marks of bench/start_phases.c, and the phases between them.
PHASES = [
    ("before library", None, "library_begin"),
    ("library load", "library_begin", "library_end"),
    ("to VM creation", "library_end", "create_begin"),
    ("VM creation", "create_begin", "create_end"),
    ("main and its end", "create_end", "destroy_begin"),
    ("DestroyJavaVM", "destroy_begin", "destroy_end"),
    ("process end", "destroy_end", "reaped"),
]


def measure_phases(command, work, preload):
    out = os.path.join(work, "phases.txt")
    if os.path.exists(out):
        os.remove(out)
    env = dict(os.environ, LD_PRELOAD=preload, START_PHASES_OUT=out)
    env.update(command.env)
    spawned = time.monotonic_ns()
    env["START_PHASES_SPAWN"] = str(spawned)
    process = subprocess.Popen(command.argv, cwd=work, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    os.wait4(process.pid, 0)
    reaped = (time.monotonic_ns() - spawned) / 1e6
    if not os.path.exists(out):
        return None
    with open(out) as f:
        marks = dict(item.split("=") for item in f.read().split())
    marks = {name: float(value) for name, value in marks.items()}
    marks["reaped"] = reaped
    return marks


def report_phases(work, java_home, commands, rounds):
    preload = os.path.join(work, "start_phases.so")
    run(["gcc", "-O2", "-shared", "-fPIC", "-o", preload, os.path.join(HERE, "start_phases.c")] +
        java_includes(java_home) + ["-ldl"])
    names = [name for name in ("launcher", "thread", "floor", "java") if name in commands]
    marks = {name: [] for name in names}
    for round_index in range(rounds):
        shift = round_index % len(names)
        for name in names[shift:] + names[:shift]:
            result = measure_phases(commands[name], work, preload)
            if result is not None and all(m in result for _, a, b in PHASES for m in (a, b) if m):
                marks[name].append(result)
    print("\nPhases, medians in ms over %d rounds (bench/start_phases.c preloaded)" % rounds)
    print("%-18s" % "phase" + "".join("%10s" % name for name in names))
    for title, begin, end in PHASES:
        row = "%-18s" % title
        for name in names:
            values = [m[end] - (m[begin] if begin else 0.0) for m in marks[name]]
            row += "%10.2f" % statistics.median(values) if values else "%10s" % "-"
        print(row)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=30)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--java-home", default="/usr/lib/jvm/java-17-openjdk-amd64")
    parser.add_argument("--launcher", default=os.path.join(ROOT, "build", "launcher"))
    parser.add_argument("--thread-floor", action="store_true",
                        help="add the floor host that makes the VM on a second thread")
    parser.add_argument("--phases", type=int, default=0, metavar="ROUNDS",
                        help="then this many rounds of the phase report")
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="launcher-bench-")
    try:
        commands = prepare(work, options.java_home, options.launcher, options.thread_floor)
        load_before = load_text()
        samples = run_alternating(commands, options.rounds, options.warmup, work)
        print("Java start, main returns at once; %d rounds, medians; runtime %s"
              % (options.rounds, options.java_home))
        print("before: %s\nafter:  %s" % (load_before, load_text()))
        print_table("", samples, "floor")
        if options.phases:
            report_phases(work, options.java_home, commands, options.phases)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
