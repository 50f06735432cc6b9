"""Java 8 runtimes on the POSIX build: their VM libraries lie one folder deeper (lib/amd64/ in
a JRE, jre/lib/amd64/ in a JDK). Fake Java 8 homes link to the real VM of the build's JDK, so
a start through them runs a real Java program."""

import os
import shutil
import tempfile
import unittest

from harness import App, build_dir
from java_app import ProbeApp, jdk_home
from runtimes import make_java8_home


class Java8Homes(unittest.TestCase):
    def setUp(self):
        self.inventory = tempfile.mkdtemp(prefix="launcher-java8-")
        self.addCleanup(shutil.rmtree, self.inventory, True)
        self.homes = {kind: os.path.join(self.inventory, kind + "-8") for kind in ("jre", "jdk")}
        self.libraries = {kind: make_java8_home(home, jdk_home(), jdk=(kind == "jdk"))
                          for kind, home in self.homes.items()}

    def search(self, java):
        probe = App("posix", name="probe",
                    executable=os.path.join(build_dir(), "tests", "tools", "runtime_probe"))
        self.addCleanup(probe.remove)
        probe.write_ini("[Java Runtime Environment]\nMain Class=app.Main\n%s\n" % java,
                        newline="\n")
        result = probe.run(env={"RUNTIME_PROBE_FOLDERS": self.inventory})
        fields = dict(line.split("=", 1) for line in result.stdout.splitlines())
        return fields["jvmPath"] if fields["found"] == "1" else None

    def test_the_inventory_finds_java8_homes_by_kind_and_version(self):
        cases = [
            ("", self.libraries["jdk"]),
            ("JVM Source=only_JRE", self.libraries["jre"]),
            ("Maximum Version=1.8\nJVM Source=favor_JRE", self.libraries["jre"]),
            ("JVM Type=server\nJVM Source=only_JDK", self.libraries["jdk"]),
            ("Minimum Version=9", None),
        ]
        for java, expected in cases:
            with self.subTest(java=java):
                self.assertEqual(self.search(java), expected)

    def test_a_start_through_jre_path_runs_the_real_vm(self):
        for kind in ("jre", "jdk"):
            with self.subTest(kind=kind):
                app = ProbeApp("probe.Environment", runtime=self.homes[kind])
                self.addCleanup(app.remove)
                result = app.run()
                self.assertEqual(result.exit_code, 0, result.stderr)
                values = app.values()
                library = self.libraries[kind]
                home = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(library))))
                self.assertEqual(values["JL_JVM_PATH"], library)
                self.assertEqual(values["JL_JVM_HOME"], home)
                self.assertEqual(values["PATH"].split(":")[-1], os.path.join(home, "bin"))
                # The VM behind the links is the real one, which knows its own home.
                self.assertEqual(values["java.home"], os.path.realpath(jdk_home()))


if __name__ == "__main__":
    unittest.main()
