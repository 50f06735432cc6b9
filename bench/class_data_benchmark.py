"""Starts of real programs with the launcher's class-data cache on, against the launcher with
it off and against the java command, on each runtime given, run alternately round after round:

  cache   the launcher with "Class Data Cache=yes"; the archive was made by a start before the
          measured ones, so every measured start maps it (second and later starts)
  off     the same launcher and settings without the cache
  java    the runtime's java command with -cp

Programs: Rhino's shell printing 6*7 and Ant's -version (Debian's rhino and ant packages), and
a Swing program that opens a window and ends once it is shown (under Xvfb when there is no
display). A second table times first starts: the cache folder is emptied before each "first"
start, which records the class list, against "off" in the same rounds. The archive is built by
a job in the background after the first start has ended; the next start is timed only once
that job has ended, and the time until the archive is in place is printed.

A third table times starts after a bad archive: each round damages the archive's first bytes
(as a foreign or damaged archive would look), then times the start that finds it ("bad": it
removes the archive and records its classes again), waits for the job to make a new archive,
times the next start ("next": it maps the new one), and "off" in the same round.

With --aot (runtimes 25 and later) the java command also runs with the VM's two kinds of
cache, to choose between them: "java-jsa" maps a dynamic archive (-XX:SharedArchiveFile, made
once with -XX:ArchiveClassesAtExit) and "java-aot" an ahead-of-time cache (-XX:AOTCache, made
once with -XX:AOTCacheOutput); the time of each making run is printed."""

import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

from measure import Command, load_text, measure, print_table, run, run_alternating

HERE = os.path.dirname(os.path.abspath(__file__))

DEFAULT_HOMES = ["/usr/lib/jvm/java-17-openjdk-amd64", "/usr/lib/jvm/temurin-25-jdk-amd64"]
PROGRAMS = {
    "rhino": (["/usr/share/java/rhino.jar"], "org.mozilla.javascript.tools.shell.Main",
              ["-e", "print(6*7)"]),
    "ant": (["/usr/share/ant/lib/ant-launcher.jar", "/usr/share/ant/lib/ant.jar"],
            "org.apache.tools.ant.Main", ["-version"]),
    "swing": (None, "bench.SwingWindow", []),
}


def swing_jar(work, java_home):
    classes = os.path.join(work, "swing-classes")
    os.makedirs(classes, exist_ok=True)
    run([os.path.join(java_home, "bin", "javac"), "--release", "11", "-d", classes,
         os.path.join(HERE, "java", "SwingWindow.java")])
    jar = os.path.join(work, "swing.jar")
    run([os.path.join(java_home, "bin", "jar"), "cf", jar, "-C", classes, "."])
    return [jar]


def application(work, launcher, java_home, name, jars, main_class, args, cache):
    """A folder with the launcher and its settings file; returns the command that starts it."""
    folder = os.path.join(work, "%s-%s-%s" % (name, os.path.basename(java_home), cache))
    os.makedirs(folder)
    executable = os.path.join(folder, name)
    shutil.copy2(launcher, executable)
    with open(executable + ".ini", "w") as f:
        f.write("[Java Runtime Environment]\r\nJRE Path=%s\r\nMain Class=%s\r\n"
                "Class Data Cache=%s\r\n[Class Path]\r\nClass Path=%s\r\n[Application]\r\n"
                "Cmd=%s\r\n" % (java_home, main_class, cache, ";".join(jars), " ".join(args)))
    return executable


def commands_for(work, launcher, java_home, name, cache_home):
    jars, main_class, args = PROGRAMS[name]
    if jars is None:
        jars = swing_jar(work, java_home)
    env = {"XDG_CACHE_HOME": cache_home}
    on = application(work, launcher, java_home, name, jars, main_class, args, "yes")
    off = application(work, launcher, java_home, name, jars, main_class, args, "no")
    java = [os.path.join(java_home, "bin", "java"), "-cp", ":".join(jars), main_class] + args
    return {"cache": Command([on], env), "off": Command([off], env), "java": Command(java, env)}


def feature_release(java_home):
    with open(os.path.join(java_home, "release"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("JAVA_VERSION="):
                return int(line.split("=", 1)[1].strip().strip('"').split(".")[0])
    return 0


def timed(argv, cwd):
    started = time.perf_counter()
    subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True)
    return (time.perf_counter() - started) * 1000


def add_vm_caches(commands, work, name):
    """java-jsa and java-aot beside java; prints how long making each cache took."""
    java = commands["java"].argv
    jsa = os.path.join(work, name + ".jsa")
    aot = os.path.join(work, name + ".aot")
    made = {"jsa": timed(java[:1] + ["-XX:ArchiveClassesAtExit=" + jsa] + java[1:], work),
            "aot": timed(java[:1] + ["-XX:AOTCacheOutput=" + aot] + java[1:], work)}
    print("making the caches: dynamic archive %.0f ms, ahead-of-time cache %.0f ms"
          % (made["jsa"], made["aot"]))
    commands["java-jsa"] = Command(java[:1] + ["-XX:SharedArchiveFile=" + jsa] + java[1:])
    commands["java-aot"] = Command(java[:1] + ["-XX:AOTCache=" + aot] + java[1:])


def wait_for_archive(cache_home):
    """Waits until the background job has left only archives; the milliseconds waited."""
    started = time.perf_counter()
    pattern = os.path.join(cache_home, "java-launcher", "class-data", "*", "*")
    while any(not name.endswith(".jsa") for name in glob.glob(pattern)):
        if time.perf_counter() - started > 300:
            sys.exit("the archive job did not end: %s" % glob.glob(pattern))
        time.sleep(0.01)
    return (time.perf_counter() - started) * 1000


def first_starts(commands, cache_home, rounds, cwd):
    samples = {"first": [], "off": []}
    ready = []
    for _ in range(rounds):
        shutil.rmtree(cache_home, ignore_errors=True)
        samples["first"].append(measure(commands["cache"], cwd))
        ready.append(wait_for_archive(cache_home))
        samples["off"].append(measure(commands["off"], cwd))
    ready.sort()
    print("   the archive was in place %.0f ms (median) after the first start ended"
          % ready[len(ready) // 2])
    return samples


def spoil_archives(cache_home):
    for archive in glob.glob(os.path.join(cache_home, "java-launcher", "class-data", "*",
                                          "*.jsa")):
        os.chmod(archive, 0o644)
        with open(archive, "r+b") as f:
            f.write(b"\x5a" * 64)


def bad_archive_starts(commands, cache_home, rounds, cwd):
    samples = {"bad": [], "next": [], "off": []}
    for _ in range(rounds):
        wait_for_archive(cache_home)
        spoil_archives(cache_home)
        samples["bad"].append(measure(commands["cache"], cwd))
        wait_for_archive(cache_home)
        samples["next"].append(measure(commands["cache"], cwd))
        samples["off"].append(measure(commands["off"], cwd))
    return samples


def start_display():
    """An Xvfb display for the Swing program when none is set; the process, or None."""
    if os.environ.get("DISPLAY"):
        return None
    display = ":%d" % (200 + os.getpid() % 500)
    server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    os.environ["DISPLAY"] = display
    return server


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--java-home", action="append",
                        help="runtime to measure (repeatable); default Java 17 and 25")
    parser.add_argument("--program", action="append", choices=sorted(PROGRAMS))
    parser.add_argument("--rounds", type=int, default=30)
    parser.add_argument("--first-rounds", type=int, default=10)
    parser.add_argument("--bad-rounds", type=int, default=10,
                        help="rounds of starts after a bad archive")
    parser.add_argument("--aot", action="store_true",
                        help="also the java command with each of the VM's caches (25 and later)")
    options = parser.parse_args()
    homes = options.java_home or DEFAULT_HOMES
    for home in homes:
        if not os.path.exists(os.path.join(home, "release")):
            sys.exit("no Java runtime at %s (give others with --java-home)" % home)
    programs = options.program or ["rhino", "ant", "swing"]
    launcher = os.path.abspath(options.launcher)

    server = start_display() if "swing" in programs else None
    work = tempfile.mkdtemp(prefix="class-data-bench-")
    try:
        for home in homes:
            for name in programs:
                cache_home = os.path.join(work, "cache-%s-%s" % (name, os.path.basename(home)))
                commands = commands_for(work, launcher, home, name, cache_home)
                title = "%s on %s" % (name, os.path.basename(home))
                print("== %s (%s)" % (title, load_text()))
                first = first_starts(commands, cache_home, options.first_rounds, work)
                print_table("first starts, %d rounds" % options.first_rounds, first, "off")
                # The start that makes the archive the measured ones map.
                measure(commands["cache"], work)
                wait_for_archive(cache_home)
                if options.aot and feature_release(home) >= 25:
                    add_vm_caches(commands, work, "%s-%s" % (name, os.path.basename(home)))
                later = run_alternating(commands, options.rounds, 2, work, progress=False)
                print_table("second and later starts, %d rounds" % options.rounds, later, "java")
                bad = bad_archive_starts(commands, cache_home, options.bad_rounds, work)
                print_table("a bad archive, %d rounds" % options.bad_rounds, bad, "off")
                print("   (%s)\n" % load_text())
    finally:
        shutil.rmtree(work, ignore_errors=True)
        if server:
            server.terminate()
            server.wait()


if __name__ == "__main__":
    sys.exit(main())
