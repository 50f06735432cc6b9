"""Whole-process start of a Java program whose main returns at once, four ways, side by side:

  launcher  our launcher (build/launcher) hosting the VM in its own process
  java      OpenJDK's own java command
  jpackage  the same program packaged with jpackage --type app-image, through its native launcher
  floor     a minimal C host: load libjvm.so, create the VM, call main (the in-process limit)

The four run alternately, round after round, so that drifts of the machine hit all alike.
Wall time, CPU time (user + system) and peak resident memory come from wait4() of each child.
All four use the same runtime (--java-home)."""

import argparse
import os
import resource  # noqa: F401  (documents where the rusage fields come from)
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def run(command, **kwargs):
    subprocess.run(command, check=True, **kwargs)


def prepare(work, java_home, launcher):
    classes = os.path.join(work, "classes")
    app = os.path.join(work, "app")
    os.makedirs(classes)
    os.makedirs(app)
    run([os.path.join(java_home, "bin", "javac"), "-d", classes,
         os.path.join(HERE, "java", "Empty.java")])
    jar = os.path.join(app, "empty.jar")
    run([os.path.join(java_home, "bin", "jar"), "cf", jar, "-C", classes, "."])

    floor = os.path.join(work, "floor_host")
    run(["gcc", "-O2", "-o", floor, os.path.join(HERE, "floor_host.c"),
         "-I" + os.path.join(java_home, "include"),
         "-I" + os.path.join(java_home, "include", "linux"), "-ldl"])

    shutil.copy2(launcher, os.path.join(app, "empty"))
    with open(os.path.join(app, "empty.ini"), "w") as f:
        f.write("[Java Runtime Environment]\r\nJRE Path=%s\r\nMain Class=bench.Empty\r\n"
                "[Class Path]\r\nClass Path=empty.jar\r\n" % java_home)

    images = os.path.join(work, "images")
    run([os.path.join(java_home, "bin", "jpackage"), "--type", "app-image", "--input", app,
         "--main-jar", "empty.jar", "--main-class", "bench.Empty", "--name", "EmptyApp",
         "--dest", images], stdout=subprocess.DEVNULL)
    libjvm = os.path.join(java_home, "lib", "server", "libjvm.so")
    return {
        "launcher": [os.path.join(app, "empty")],
        "java": [os.path.join(java_home, "bin", "java"), "-cp", jar, "bench.Empty"],
        "jpackage": [os.path.join(images, "EmptyApp", "bin", "EmptyApp")],
        "floor": [floor, libjvm, jar, "bench/Empty"],
    }


def measure(command, cwd):
    started = time.perf_counter()
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - started
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise RuntimeError("%s ended with %d" % (command, process.returncode))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=30)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--java-home", default="/usr/lib/jvm/java-17-openjdk-amd64")
    parser.add_argument("--launcher", default=os.path.join(ROOT, "build", "launcher"))
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="launcher-bench-")
    try:
        commands = prepare(work, options.java_home, options.launcher)
        names = list(commands)
        samples = {name: [] for name in names}
        for round_index in range(options.warmup + options.rounds):
            # Rotate the order each round so that no command always follows the same one.
            shift = round_index % len(names)
            for name in names[shift:] + names[:shift]:
                sample = measure(commands[name], work)
                if round_index >= options.warmup:
                    samples[name].append(sample)
        report(samples, options)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def report(samples, options):
    medians = {name: [statistics.median(s[i] for s in values) for i in range(3)]
               for name, values in samples.items()}
    floor = medians["floor"]
    print("Java start, main returns at once; %d rounds, medians; runtime %s; %d CPUs"
          % (options.rounds, options.java_home, os.cpu_count()))
    print("%-10s %10s %8s %10s %8s %12s %10s" % ("how", "wall ms", "/floor", "cpu ms",
                                                 "/floor", "peak MB", "-floor MB"))
    for name, (wall, cpu, peak) in medians.items():
        print("%-10s %10.1f %8.3f %10.1f %8.3f %12.1f %+10.1f" % (
            name, wall * 1000, wall / floor[0], cpu * 1000, cpu / floor[1], peak,
            peak - floor[2]))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
