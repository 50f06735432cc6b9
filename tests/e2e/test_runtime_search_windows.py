"""Runtime search of launcher.exe under Wine: fake runtimes registered with `reg add` in both
registry views, homes beside the launcher and "JRE Path". The VM libraries are not loadable,
so the message of the failed load names the library the launcher chose."""

import os
import shutil
import tempfile
import unittest

from harness import App, to_windows_path, windows_build_path
from runtimes import (WineRegistry, chosen_library, make_windows_home, wait_for_record)

MINUS_ONE = 4294967295
ENGLISH = "en_US.UTF-8"


def settings(java="", application=""):
    return ("[Java Runtime Environment]\nMain Class=app.Main\n%s\n[Application]\n%s\n"
            % (java, application))


class RuntimeSearchTest(unittest.TestCase):
    def setUp(self):
        self.registry = WineRegistry()
        self.registry.clear()
        self.addCleanup(self.registry.clear)
        self.homes = tempfile.mkdtemp(prefix="launcher-runtimes-")
        self.addCleanup(shutil.rmtree, self.homes, True)
        self.app = App("windows")
        self.addCleanup(self.app.remove)

    def home(self, name, flavours=("client",), library=None):
        return make_windows_home(os.path.join(self.homes, name), flavours, library)

    def library(self, home, flavour="client"):
        return to_windows_path(os.path.join(home, "bin", flavour, "jvm.dll"))

    def chosen(self, java="", application="", env=None, args=()):
        """Runs the launcher; the library it tried to load, or None when it found none and
        asked for a runtime folder (the harness cancels that dialog)."""
        self.app.write_ini(settings(java, application))
        result = self.app.run(list(args), env=env, lang=ENGLISH)
        self.assertEqual(result.exit_code, MINUS_ONE, result.messages)
        library = chosen_library(result)
        self.assertEqual(result.cancelled_dialogs > 0, library is None, result.messages)
        return library


class RegistryChoice(RuntimeSearchTest):
    def test_version_bounds_and_preferred_versions(self):
        homes = {version: self.home("jre" + version) for version in
                 ("1.6", "1.7.0_80", "1.8.0_202", "11.0.2")}
        for version, home in homes.items():
            self.registry.add("javasoft_jre", version, home)
        self.registry.commit()
        cases = [
            ("", homes["11.0.2"]),
            ("Minimum Version=1.7\nMaximum Version=1.8", homes["1.8.0_202"]),
            ("Maximum Version=1.7", homes["1.7.0_80"]),
            ("Minimum Version=1.6.0_20\nMaximum Version=1.7.0", homes["1.7.0_80"]),
            ("Minimum Version=1.6.0_20\nMaximum Version=1.6.0_99", None),
            ("Preferred versions=1.7;1.8", homes["1.7.0_80"]),
            ("Preferred versions=1.5;1.8", homes["1.8.0_202"]),
            ("Preferred versions=1.5;9", homes["11.0.2"]),
            ("Maximum Version=1.8\nPreferred versions=11;1.6", homes["1.6"]),
        ]
        for java, home in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), home and self.library(home))

    def test_jvm_type(self):
        jdk7 = os.path.join(self.homes, "jdk7")
        self.home(os.path.join("jdk7", "jre"), ("server",))
        jre8 = self.home("jre8", ("client", "server"))
        jre11 = self.home("jre11", ("client",))
        self.registry.add("javasoft_jdk", "1.7.0_80", jdk7)
        self.registry.add("javasoft_jre", "1.8.0_202", jre8)
        self.registry.add("javasoft_jre", "11.0.2", jre11)
        self.registry.commit()
        jdk7_runtime = os.path.join(jdk7, "jre")
        cases = [
            ("", self.library(jre11)),
            ("JVM Type=client", self.library(jre11)),
            ("JVM Type=server", self.library(jre8, "server")),
            # The JRE root probes favor_server client first, so its runtime with both VMs
            # does not count as server-capable; the JDK's runtime does and ranks first.
            ("JVM Type=favor_server", self.library(jdk7_runtime, "server")),
            ("JVM Type=favor_server\nMinimum Version=1.8", self.library(jre11)),
            ("JVM Type=favor_server\nMaximum Version=1.8", self.library(jdk7_runtime, "server")),
            ("JVM Type=favor_server\nPreferred versions=1.8", self.library(jre8, "server")),
            ("JVM Type=Server", self.library(jre11)),
        ]
        for java, library in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), library)

    def test_jvm_source_and_vm_provider(self):
        records = [("javasoft_jdk", "11.0.2", "sunjdk"), ("javasoft_jre", "1.8.0_202", "sunjre"),
                   ("jrockit_jre", "1.6.0_45", "jrockitjre"),
                   ("jrockit_jdk", "1.7.0_10", "jrockitjdk"), ("ibm_jre", "1.5.0", "ibmjre")]
        runtimes = {}
        for root, version, name in records:
            home = self.home(name)
            runtime = self.home(os.path.join(name, "jre")) if root.endswith("jdk") else home
            self.registry.add(root, version, home)
            runtimes[name] = self.library(runtime)
        self.registry.commit()
        cases = [
            ("", "sunjdk"),
            ("JVM Source=favor_JRE", "sunjre"),
            ("JVM Source=favor_JDK", "sunjdk"),
            ("JVM Source=only_JRE", "sunjre"),
            ("JVM Source=only_JDK\nMaximum Version=1.8", None),
            ("JVM Source=only_jre", None),
            ("VM Provider=jrockit", "jrockitjdk"),
            ("VM Provider=jrockit\nJVM Source=favor_JRE", "jrockitjre"),
            ("VM Provider=ibm", "ibmjre"),
            ("VM Provider=ibm\nJVM Source=only_JDK", None),
            ("VM Provider=favor_sun\nMaximum Version=1.7", "jrockitjdk"),
            ("VM Provider=favor_jrockit", "jrockitjdk"),
            ("VM Provider=favor_ibm", "ibmjre"),
            ("VM Provider=ANY", "sunjdk"),
            # Without a favored vendor no kind is favored either.
            ("VM Provider=any\nJVM Source=favor_JRE", "sunjdk"),
            ("VM Provider=any\nMaximum Version=1.7", "jrockitjdk"),
            ("VM Provider=nobody", "sunjdk"),
        ]
        for java, name in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), name and runtimes[name])

    def test_each_subkey_is_a_candidate_even_with_a_shared_home(self):
        shared = self.home("shared")
        other = self.home("other")
        self.registry.add("javasoft_jre", "1.8", shared)
        self.registry.add("javasoft_jre", "1.8.0_150", other)
        self.registry.add("javasoft_jre", "1.8.0_202", shared)
        self.registry.commit()
        cases = [
            ("", shared),
            ("Maximum Version=1.8.0_160", other),
            ("Maximum Version=1.8.0_100", shared),
        ]
        for java, home in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), self.library(home))

    def test_records_without_a_usable_home_are_passed_over(self):
        home = self.home("jre8")
        self.registry.add("javasoft_jre", "1.8.0_202", home)
        self.registry.add("javasoft_jre", "11.0.2", "")
        self.registry.add("javasoft_jre", "12", None)
        self.registry.add("javasoft_jre", "13", os.path.join(self.homes, "missing"))
        # A JDK without a jre\ folder is its own runtime: this one has no VM library.
        empty_jdk = os.path.join(self.homes, "jdk14")
        os.makedirs(empty_jdk)
        self.registry.add("javasoft_jdk", "14", empty_jdk)
        self.registry.commit()
        self.assertEqual(self.chosen(), self.library(home))
        self.assertIsNone(self.chosen("Minimum Version=9"))


class ConfiguredAndAdjacentRuntimes(RuntimeSearchTest):
    def test_jre_path_with_and_without_trailing_backslash(self):
        configured = self.home("configured", ("client", "server"))
        registered = self.home("registered")
        self.registry.add("javasoft_jre", "11.0.2", registered)
        self.registry.commit()
        folder = to_windows_path(configured)
        for jre_path in (folder, folder + "\\"):
            with self.subTest(jre_path=jre_path):
                # Bounds, kind and vendor do not apply to the configured folder.
                java = ("JRE Path=%s\nMinimum Version=11\nJVM Source=only_JDK\n"
                        "VM Provider=ibm" % jre_path)
                self.assertEqual(self.chosen(java), self.library(configured))
                self.assertEqual(self.chosen(java + "\nJVM Type=server"),
                                 self.library(configured, "server"))

    def test_jre_path_without_a_library_falls_through(self):
        registered = self.home("registered")
        self.registry.add("javasoft_jre", "11.0.2", registered)
        self.registry.commit()
        empty = self.home("clientonly", ("client",))
        java = "JRE Path=%s" % to_windows_path(empty)
        self.assertEqual(self.chosen(java + "\nJVM Type=server"), None)
        self.assertEqual(self.chosen("JRE Path=%s" % to_windows_path(self.homes)),
                         self.library(registered))

    def test_runtime_beside_the_launcher(self):
        registered = self.home("registered")
        self.registry.add("javasoft_jre", "11.0.2", registered)
        self.registry.commit()
        private = make_windows_home(self.app.file("jre64"), ("server",))
        self.assertEqual(self.chosen(), self.library(private, "server"))
        own = make_windows_home(self.app.folder, ("client",))
        self.assertEqual(self.chosen(), self.library(own))
        # The configured folder still comes first.
        configured = self.home("configured")
        self.assertEqual(self.chosen("JRE Path=%s" % to_windows_path(configured)),
                         self.library(configured))


class PairedLauncher(RuntimeSearchTest):
    def setUp(self):
        super().setUp()
        self.pair = self.app.file("pair.exe")
        shutil.copy2(windows_build_path("tests", "tools", "pair_recorder.exe"), self.pair)
        self.record = self.app.file("pair.record")
        self.x86_library = windows_build_path("tests", "tools", "x86", "jvm.dll")

    def run_paired(self, java, return_code, exit_code=0):
        application = "Pair Product=%s" % to_windows_path(self.pair)
        if return_code:
            application += "\nPair Return Code=yes"
        self.app.write_ini(settings(java, application))
        command_line = '"%s" first "second argument" -nosplash' % to_windows_path(self.app.path)
        result = self.app.run(command_line=command_line, lang=ENGLISH,
                              env={"PAIR_RECORDER_EXIT_CODE": str(exit_code)})
        return result, command_line

    def assert_started_with(self, command_line):
        record = wait_for_record(self.record)
        self.assertIsNotNone(record, "the pair product was not started")
        self.assertEqual(record["command_line"], command_line)
        self.assertEqual(record["folder"].rstrip("\\"), to_windows_path(self.app.folder))
        os.remove(self.record)

    def test_a_32_bit_jre_path_runtime_starts_the_pair_product(self):
        x86 = self.home("x86", ("client",), library=self.x86_library)
        java = "JRE Path=%s" % to_windows_path(x86)
        result, command_line = self.run_paired(java, return_code=True, exit_code=1234567)
        self.assertEqual(result.exit_code, 1234567)
        self.assertEqual(result.messages, [])
        self.assert_started_with(command_line)

        result, command_line = self.run_paired(java, return_code=False, exit_code=77)
        self.assertEqual(result.exit_code, 0)
        self.assert_started_with(command_line)

    def test_a_64_bit_or_unreadable_library_is_loaded_here(self):
        native = self.home("native")
        result, _ = self.run_paired("JRE Path=%s" % to_windows_path(native), return_code=True)
        self.assertEqual(result.exit_code, MINUS_ONE)
        self.assertEqual(chosen_library(result), self.library(native))
        self.assertFalse(os.path.exists(self.record))

    def test_without_pair_product_a_32_bit_library_is_loaded_here(self):
        x86 = self.home("x86", ("client",), library=self.x86_library)
        self.assertEqual(self.chosen("JRE Path=%s" % to_windows_path(x86)), self.library(x86))

    def test_a_runtime_only_in_the_32_bit_view(self):
        x86 = self.home("x86")
        self.registry.add("javasoft_jre", "1.8.0_202", x86, view=32)
        self.registry.commit()
        # Without a pair product the 32-bit view is not searched: nothing is found.
        self.assertIsNone(self.chosen())
        self.assertFalse(os.path.exists(self.record))

        result, command_line = self.run_paired("", return_code=True, exit_code=42)
        self.assertEqual(result.exit_code, 42)
        self.assert_started_with(command_line)

    def test_the_native_view_comes_before_the_32_bit_view(self):
        native = self.home("native")
        self.registry.add("javasoft_jre", "1.6", native, view=64)
        self.registry.add("javasoft_jre", "11.0.2", self.home("x86"), view=32)
        self.registry.commit()
        result, _ = self.run_paired("", return_code=True)
        self.assertEqual(chosen_library(result), self.library(native))
        self.assertFalse(os.path.exists(self.record))


if __name__ == "__main__":
    unittest.main()
