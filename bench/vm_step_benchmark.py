"""The launcher's own start on Linux: everything up to the VM step, against the floor host.

Both load a stand-in for libjvm.so (bench/fake_vm_posix.c, with the C++ runtime libraries that
libjvm.so needs) whose JNI_CreateJavaVM ends the process at once, so what is measured is the
process start, the settings, the runtime search, the options and the main thread for the
launcher, and the process start and library load for the floor host. The launcher reads a
realistic settings file (bench/data/app.ini) with a class path over 75 jars.

Reported: wall and CPU time and peak memory from wait4() (alternating rounds, medians), and,
when valgrind is installed, the instructions each executes (callgrind, one run each), which do
not depend on the load of the machine."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

from measure import Command, load_text, print_table, run, run_alternating

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def java_includes(java_home):
    return ["-I" + os.path.join(java_home, "include"),
            "-I" + os.path.join(java_home, "include", "linux")]


def touch(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "wb").close()


def prepare(work, java_home, launcher, search=False):
    runtime = os.path.join(work, "runtime")
    library = os.path.join(runtime, "lib", "server", "libjvm.so")
    os.makedirs(os.path.dirname(library))
    touch(os.path.join(runtime, "lib", "libjava.so"))
    # The real libjvm.so brings the C++ runtime along; so does the stand-in.
    run(["gcc", "-O2", "-shared", "-fPIC", "-o", library, os.path.join(HERE, "fake_vm_posix.c")] +
        java_includes(java_home) + ["-Wl,--no-as-needed", "-lstdc++", "-lm", "-lgcc_s"])
    floor = os.path.join(work, "floor_host")
    run(["gcc", "-O2", "-o", floor, os.path.join(HERE, "floor_host.c")] +
        java_includes(java_home) + ["-ldl"])

    app = os.path.join(work, "app")
    for i in range(60):
        touch(os.path.join(app, "lib", "library-%02d-1.%d.jar" % (i, i % 5)))
    for i in range(15):
        touch(os.path.join(app, "plugins", "core", "plugin-%02d.jar" % i))
    touch(os.path.join(app, "app.jar"))
    touch(os.path.join(app, "extra", "modeller-extra.jar"))
    with open(os.path.join(HERE, "data", "app.ini"), newline="") as f:
        settings = f.read()
    env = {"APP_HOME": app}
    if search:
        # Every installed-runtime source is searched and rejects what it finds (this machine's
        # runtimes are older than 99); JAVA_HOME, the last source, names the runtime.
        settings = settings.replace("Minimum Version=11\r\n", "Minimum Version=99\r\n")
        with open(os.path.join(runtime, "release"), "w") as f:
            f.write('JAVA_VERSION="99.0.1"\n')
        env["JAVA_HOME"] = runtime
    else:
        settings = settings.replace("JRE Path=\r\n", "JRE Path=%s\r\n" % runtime)
    with open(os.path.join(app, "tool.ini"), "w", newline="") as f:
        f.write(settings)
    shutil.copy2(launcher, os.path.join(app, "tool"))

    return {
        # The splash is the one window of a start; "-nosplash" keeps this a start without one.
        "launcher": Command([os.path.join(app, "tool"), "-nosplash"], env),
        "floor": Command([floor, library, os.path.join(app, "app.jar"), "app/Main"], env),
    }


def instructions(command, work):
    """Instructions of one run under callgrind: (whole process, within main()), or None
    without valgrind."""
    if shutil.which("valgrind") is None:
        return None
    out = os.path.join(work, "callgrind.out")
    env = dict(os.environ)
    env.update(command.env)
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] +
                            command.argv, cwd=work, env=env, capture_output=True, text=True)
    total = re.search(r"Collected : (\d+)", result.stderr)
    annotated = subprocess.run(["callgrind_annotate", "--inclusive=yes", out],
                               capture_output=True, text=True).stdout
    in_main = re.search(r"^\s*([\d,]+) .*:main \[", annotated, re.MULTILINE)
    if not total or not in_main:
        return None
    return int(total.group(1)), int(in_main.group(1).replace(",", ""))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=300)
    parser.add_argument("--warmup", type=int, default=10)
    parser.add_argument("--java-home", default="/usr/lib/jvm/java-17-openjdk-amd64")
    parser.add_argument("--launcher", default=os.path.join(ROOT, "build", "launcher"))
    parser.add_argument("--search", action="store_true",
                        help="find the runtime through the whole search (JAVA_HOME last) "
                             "instead of \"JRE Path\"")
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="launcher-bench-vm-step-")
    try:
        commands = prepare(work, options.java_home, options.launcher, options.search)
        load_before = load_text()
        samples = run_alternating(commands, options.rounds, options.warmup, work)
        print("Start up to the VM step (stand-in libjvm.so ends the process there); %d rounds, "
              "medians" % options.rounds)
        print("before: %s\nafter:  %s" % (load_before, load_text()))
        print_table("", samples, "floor")
        for name, command in commands.items():
            counts = instructions(command, work)
            if counts:
                print("instructions (callgrind) %-8s %10d in all, %10d within main()"
                      % (name, counts[0], counts[1]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
