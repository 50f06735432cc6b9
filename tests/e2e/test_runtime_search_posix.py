"""Runtime search of the POSIX build. The installed-runtime inventory is proved with the
runtime_probe tool, which reads its settings file as the launcher does and searches folders of
fake runtimes (or the standard folders, where this machine's OpenJDK lives); "JRE Path", the
runtime beside the launcher and the pair product are proved with the launcher itself, whose
load failure names the library it chose."""

import os
import shutil
import tempfile
import unittest

from harness import App, build_dir
from runtimes import chosen_library, make_posix_home, make_posix_runtime, wait_for_record

FAILED = 255


def settings(java="", application=""):
    return ("[Java Runtime Environment]\nMain Class=app.Main\n%s\n[Application]\n%s\n"
            % (java, application))


def tool(name):
    return os.path.join(build_dir(), "tests", "tools", name)


class InventoryTest(unittest.TestCase):
    def setUp(self):
        self.inventory = tempfile.mkdtemp(prefix="launcher-inventory-")
        self.addCleanup(shutil.rmtree, self.inventory, True)
        self.probe = App("posix", name="probe", executable=tool("runtime_probe"))
        self.addCleanup(self.probe.remove)

    def runtime(self, name, version, flavours=("server",), **kwargs):
        return make_posix_runtime(self.inventory, name, version, flavours, **kwargs)

    def search(self, java="", application="", folders=None):
        """What the probe decided: (library or None, usePairedLauncher)."""
        self.probe.write_ini(settings(java, application), newline="\n")
        env = {"RUNTIME_PROBE_FOLDERS": self.inventory if folders is None else folders}
        if folders == "":
            env = {}
        result = self.probe.run(env=env)
        self.assertIn(result.exit_code, (0, 1), result.stderr)
        fields = dict(line.split("=", 1) for line in result.stdout.splitlines())
        found = fields["found"] == "1"
        return (fields["jvmPath"] if found else None), fields["usePairedLauncher"] == "1"

    def chosen(self, java="", application=""):
        return self.search(java, application)[0]


def library(home, flavour="server"):
    return os.path.join(home, "lib", flavour, "libjvm.so")


class InventoryChoice(InventoryTest):
    def test_version_bounds_and_preferred_versions(self):
        homes = {version: self.runtime("jre-" + version, version)
                 for version in ("1.6", "1.7.0_80", "1.8.0_202", "11.0.2")}
        cases = [
            ("", "11.0.2"),
            ("Minimum Version=1.7\nMaximum Version=1.8", "1.8.0_202"),
            ("Maximum Version=1.7", "1.7.0_80"),
            ("Minimum Version=1.6.0_20\nMaximum Version=1.6.0_99", None),
            ("Preferred versions=1.7;1.8", "1.7.0_80"),
            ("Preferred versions=1.5;9", "11.0.2"),
            ("Maximum Version=1.8\nPreferred versions=11;1.6", "1.6"),
        ]
        for java, version in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), version and library(homes[version]))

    def test_jvm_type(self):
        jdk7 = self.runtime("jdk-7", "1.7.0_80", ("server",), jdk=True)
        jre8 = self.runtime("jre-8", "1.8.0_202", ("client", "server"))
        jre11 = self.runtime("jre-11", "11.0.2", ("client",))
        cases = [
            ("", library(jre11, "client")),
            ("JVM Type=server", library(jre8)),
            # The JRE root probes favor_server client first: its runtime with both VMs does
            # not count as server-capable, the JDK does and ranks first.
            ("JVM Type=favor_server", library(jdk7)),
            ("JVM Type=favor_server\nMinimum Version=1.8", library(jre11, "client")),
            ("JVM Type=favor_server\nPreferred versions=1.8", library(jre8)),
        ]
        for java, expected in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), expected)

    def test_jvm_source_and_vm_provider(self):
        homes = {
            "sunjdk": self.runtime("sunjdk", "11.0.2", jdk=True),
            "sunjre": self.runtime("sunjre", "1.8.0_202"),
            "jrockitjre": self.runtime("jrockitjre", "1.6.0_45", implementor="Oracle JRockit"),
            "jrockitjdk": self.runtime("jrockitjdk", "1.7.0_10", jdk=True,
                                       implementor="BEA JRockit"),
            "ibmjre": self.runtime("ibmjre", "1.5.0", implementor="IBM Corporation"),
            "openj9jdk": self.runtime("openj9jdk", "1.4.2", jdk=True, implementor="IBM Corporation"),
        }
        cases = [
            ("", "sunjdk"),
            ("JVM Source=favor_JRE", "sunjre"),
            ("JVM Source=only_JRE", "sunjre"),
            ("JVM Source=only_jre", None),
            ("VM Provider=jrockit", "jrockitjdk"),
            ("VM Provider=jrockit\nJVM Source=favor_JRE", "jrockitjre"),
            ("VM Provider=ibm", "ibmjre"),
            ("VM Provider=favor_ibm", "ibmjre"),
            ("VM Provider=ibm\nJVM Source=only_JDK", "openj9jdk"),
            ("VM Provider=Any\nMaximum Version=1.7", "jrockitjdk"),
        ]
        for java, name in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), name and library(homes[name]))

    def test_two_entries_for_one_runtime_and_entries_without_a_runtime(self):
        shared = self.runtime("jdk-17", "17.0.2")
        os.symlink(shared, os.path.join(self.inventory, "java-1.17.0"))
        self.runtime("no-version", None)
        self.runtime("no-library", "21", flavours=())
        os.makedirs(os.path.join(self.inventory, "no-release", "lib", "server"))
        self.assertEqual(self.chosen(), os.path.join(self.inventory, "java-1.17.0", "lib",
                                                     "server", "libjvm.so"))
        self.assertIsNone(self.chosen("Minimum Version=18"))

    def test_a_32_bit_runtime_is_only_for_the_pair_product(self):
        x86 = self.runtime("jre-8-i386", "1.8.0_402", ("client",), arch="i386")
        self.assertEqual(self.search(), (None, False))
        self.assertEqual(self.search(application="Pair Product=/opt/app/tool32"),
                         (library(x86, "client"), True))
        native = self.runtime("jre-6", "1.6")
        self.assertEqual(self.search(application="Pair Product=/opt/app/tool32"),
                         (library(native), False))


class MachineRuntimes(InventoryTest):
    def test_this_machines_openjdk_with_default_settings(self):
        found, paired = self.search(folders="")
        self.assertFalse(paired)
        self.assertTrue(found.startswith("/usr/lib/jvm/"), found)
        self.assertTrue(found.endswith("/lib/server/libjvm.so"), found)
        with open(found, "rb") as f:
            self.assertEqual(f.read(5), b"\x7fELF\x02")
        found, _ = self.search("Maximum Version=17", folders="")
        self.assertEqual(os.path.realpath(found),
                         "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so")


class LauncherRuntimes(unittest.TestCase):
    def setUp(self):
        self.homes = tempfile.mkdtemp(prefix="launcher-runtimes-")
        self.addCleanup(shutil.rmtree, self.homes, True)
        self.app = App("posix")
        self.addCleanup(self.app.remove)

    def chosen(self, java="", application=""):
        self.app.write_ini(settings(java, application), newline="\n")
        result = self.app.run()
        self.assertEqual(result.exit_code, FAILED, result.stderr)
        return chosen_library(result)

    def test_jre_path_with_and_without_trailing_slash(self):
        configured = make_posix_home(os.path.join(self.homes, "jre"), ("client", "server"))
        for jre_path in (configured, configured + "/"):
            with self.subTest(jre_path=jre_path):
                java = "JRE Path=%s\nMinimum Version=99\nJVM Source=only_JDK" % jre_path
                self.assertEqual(self.chosen(java), library(configured, "client"))
                self.assertEqual(self.chosen(java + "\nJVM Type=server"), library(configured))

    def test_runtime_beside_the_launcher(self):
        private = make_posix_home(self.app.file("jre64"), ("server",))
        self.assertEqual(self.chosen("Minimum Version=99"), library(private))
        make_posix_home(self.app.folder, ("client",))
        self.assertEqual(self.chosen("Minimum Version=99"),
                         library(self.app.folder.rstrip("/") + "/", "client"))

    def test_a_32_bit_jre_path_runtime_starts_the_pair_product(self):
        x86 = make_posix_home(os.path.join(self.homes, "x86"), ("server",),
                              library=tool(os.path.join("x86", "libjvm.so")))
        pair = self.app.file("pair")
        shutil.copy2(tool("pair_recorder"), pair)
        self.app.write_ini(settings("JRE Path=%s" % x86,
                                    "Pair Product=%s\nPair Return Code=Yes" % pair), newline="\n")
        result = self.app.run(["first", "second argument", "-nosplash"],
                              env={"PAIR_RECORDER_EXIT_CODE": "42"})
        self.assertEqual(result.exit_code, 42)
        self.assertEqual(result.messages, [])
        record = wait_for_record(pair + ".record")
        self.assertEqual(record["arguments"],
                         [self.app.path, "first", "second argument", "-nosplash"])
        self.assertEqual(record["folder"], os.path.realpath(self.app.folder))
        os.remove(pair + ".record")

        self.app.write_ini(settings("JRE Path=%s" % x86, "Pair Product=%s" % pair), newline="\n")
        self.assertEqual(self.app.run(env={"PAIR_RECORDER_EXIT_CODE": "42"}).exit_code, 0)
        self.assertEqual(wait_for_record(pair + ".record")["arguments"], [self.app.path])

        # Without a pair product the launcher tries to load the library itself.
        self.assertEqual(self.chosen("JRE Path=%s" % x86), library(x86))


if __name__ == "__main__":
    unittest.main()
