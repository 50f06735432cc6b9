"""Applications of the probe programs (tests/java) behind the real POSIX launcher: a folder
with the launcher, probe.jar and a settings file whose runtime is the JDK of the build. The
probe programs write what they saw, UTF-8, one item a line, to the file that probe.out names."""

import os
import shutil

from harness import App, build_dir


def jdk_home():
    return os.environ["LAUNCHER_JDK_HOME"]


def java_file(name):
    return os.path.join(build_dir(), "tests", "java", name)



def vm_sanitizer_env():
    """AddressSanitizer options for a sanitized launcher that hosts the Java VM. LeakSanitizer
    cannot walk such a process (its tracer faults on the VM's memory); the sanitized build
    checks the launcher's own leaks in the other tests. The VM's own code copies memory with
    reads past the end of its blocks (its archive writer), which the memcpy interceptor would
    report; jvm_asan.supp passes over what libjvm.so itself calls."""
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "jvm_asan.supp")
    options = [os.environ.get("ASAN_OPTIONS"), "detect_leaks=0", "suppressions=" + suppressions]
    return {"ASAN_OPTIONS": ":".join(filter(None, options))}

class ProbeApp:
    def __init__(self, main_class, vm_parameters="", class_path="probe.jar", runtime=None,
                 runtime_section="", application_section="", jar_folder=".", folder=None):
        self.app = App("posix", folder=folder)
        self.out = self.app.file("probe.out")
        os.makedirs(self.app.file(jar_folder), exist_ok=True)
        shutil.copy(java_file("probe.jar"), self.app.file(jar_folder))
        runtime_line = "" if runtime == "search" else "JRE Path=%s\n" % (runtime or jdk_home())
        self.app.write_ini(
            "[Java Runtime Environment]\n"
            "%sMain Class=%s\n"
            "Virtual Machine Parameters=-Dprobe.out=%s %s\n%s"
            "[Class Path]\n"
            "Class Path=%s\n"
            "[Application]\n%s" % (runtime_line, main_class, self.out, vm_parameters,
                                   runtime_section, class_path, application_section))

    def file(self, *parts):
        return self.app.file(*parts)

    def run(self, args=(), env=None, **kwargs):
        full_env = vm_sanitizer_env()
        full_env.update(env or {})
        return self.app.run(args, env=full_env, **kwargs)

    def lines(self):
        if not os.path.exists(self.out):
            return []
        with open(self.out, encoding="utf-8") as f:
            return f.read().splitlines()

    def values(self):
        """The probe's "name=value" lines as a dictionary."""
        return dict(line.split("=", 1) for line in self.lines() if "=" in line)

    def remove(self):
        self.app.remove()
