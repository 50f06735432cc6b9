"""Runtimes of today's Windows installers under Wine: registry records of current vendors in
both views, JDK 9+ homes under the older JDK root, and a VM library that imports a
library from its runtime's bin folder. The diagnostic trace names the home chosen for the
paired launcher."""

import os
import re
import shutil

from harness import to_windows_path, windows_build_path
from runtimes import make_windows_home, wait_for_record, write_file
from test_runtime_search_windows import ENGLISH, MINUS_ONE, RuntimeSearchTest, settings

# (key below HKLM, record below the version subkey, value naming the home, subkey)
CURRENT_SOURCES = [
    ("Software\\JavaSoft\\JDK", "", "JavaHome", "17"),
    ("Software\\JavaSoft\\JRE", "", "JavaHome", "17"),
    ("Software\\Eclipse Adoptium\\JDK", "hotspot\\MSI", "Path", "17.0.9.9"),
    ("Software\\Eclipse Adoptium\\JRE", "hotspot\\MSI", "Path", "17.0.9.9"),
    ("Software\\Eclipse Foundation\\JDK", "hotspot\\MSI", "Path", "17.0.9.9"),
    ("Software\\AdoptOpenJDK\\JDK", "hotspot\\MSI", "Path", "17.0.9.9"),
    ("Software\\AdoptOpenJDK\\JDK", "openj9\\MSI", "Path", "17.0.9.9"),
    ("Software\\AdoptOpenJDK\\JRE", "hotspot\\MSI", "Path", "17.0.9.9"),
    ("Software\\AdoptOpenJDK\\JRE", "openj9\\MSI", "Path", "17.0.9.9"),
    ("Software\\Microsoft\\JDK", "hotspot\\MSI", "Path", "17.0.9.9"),
    ("Software\\Semeru\\JDK", "openj9\\MSI", "Path", "17.0.9.9"),
    ("Software\\Semeru\\JRE", "openj9\\MSI", "Path", "17.0.9.9"),
    ("Software\\Azul Systems\\Zulu", "", "InstallationPath", "zulu-17"),
]


def source(key, record):
    return next(s for s in CURRENT_SOURCES if s[0] == key and s[1] == record)


def record_key(key, subkey, record=""):
    return "\\".join(part for part in (key, subkey, record) if part)


class CurrentInstallers(RuntimeSearchTest):
    def runtime(self, name, version, flavours=("client",), library=None):
        """A home with a release file; JDKs of today have no jre folder."""
        home = self.home(name, flavours, library)
        if version:
            write_file(os.path.join(home, "release"), b'JAVA_VERSION="%s"\n' % version.encode())
        return home

    def register(self, record_source, home, view=64, subkey=None):
        key, record, value, default_subkey = record_source
        self.registry.add_value(record_key(key, subkey or default_subkey, record), value, home,
                                view)

    def trace(self, path):
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def test_each_source_alone_is_found_in_both_views(self):
        home = self.runtime("current", "17.0.9")
        pair = self.app.file("pair.exe")
        shutil.copy2(windows_build_path("tests", "tools", "pair_recorder.exe"), pair)
        pair_record = self.app.file("pair.record")
        trace = self.app.file("trace.log")
        # The release file, not the subkey, gives the version: 17.0.9 passes this bound.
        java = "VM Provider=any\nMinimum Version=17.0.9"
        for record_source in CURRENT_SOURCES:
            with self.subTest(source=record_source[:2]):
                self.registry.clear()
                self.register(record_source, home)
                self.registry.commit()
                self.assertEqual(self.chosen(java), self.library(home))

                self.registry.clear()
                self.register(record_source, home, view=32)
                self.registry.commit()
                self.assertIsNone(self.chosen(java))
                self.app.write_ini(settings(java, "Pair Product=%s" % to_windows_path(pair)))
                result = self.app.run(lang=ENGLISH, env={"JL_TRACE": to_windows_path(trace)})
                self.assertEqual(result.exit_code, 0, result.messages)
                self.assertIsNotNone(wait_for_record(pair_record))
                os.remove(pair_record)
                self.assertIn("chosen 17.0.9, ", self.trace(trace))
                self.assertIn("home %s\\: top of the ranking" % to_windows_path(home),
                              self.trace(trace))
                os.remove(trace)

    def test_bounds_and_providers_filter_them(self):
        homes = {
            "adoptium": self.runtime("adoptium", "17.0.9"),
            "semeru": self.runtime("semeru", "21.0.1"),
            "microsoft": self.runtime("microsoft", "11.0.21"),
        }
        self.register(source("Software\\Eclipse Adoptium\\JDK", "hotspot\\MSI"), homes["adoptium"])
        self.register(source("Software\\Semeru\\JDK", "openj9\\MSI"), homes["semeru"])
        self.register(source("Software\\Microsoft\\JDK", "hotspot\\MSI"), homes["microsoft"])
        self.registry.commit()
        cases = [
            ("", "adoptium"),
            ("VM Provider=any", "semeru"),
            ("VM Provider=ibm", "semeru"),
            ("Maximum Version=17.0.8", "microsoft"),
            ("Maximum Version=17.0.2147483648", "adoptium"),
            ("VM Provider=ibm\nMaximum Version=17", None),
            ("JVM Source=only_JRE", None),
            ("Preferred versions=11", "microsoft"),
        ]
        for java, name in cases:
            with self.subTest(java=java):
                self.assertEqual(self.chosen(java), name and self.library(homes[name]))

    def test_an_older_root_keeps_its_choice_when_the_bounds_admit_only_it(self):
        older = self.home("jre8")
        self.registry.add("javasoft_jre", "1.8.0_202", older)
        current = self.runtime("jdk21", "21.0.1")
        self.register(CURRENT_SOURCES[0], current, subkey="21")
        self.registry.commit()
        self.assertEqual(self.chosen(), self.library(current))
        self.assertEqual(self.chosen("Maximum Version=1.8"), self.library(older))

    def test_a_jdk_9_home_under_the_older_jdk_root_is_probed_at_its_home(self):
        jdk11 = self.home("jdk11")  # no jre folder
        jdk8 = os.path.join(self.homes, "jdk8")
        make_windows_home(os.path.join(jdk8, "jre"), ("client",))
        make_windows_home(jdk8, ("server",))  # the JDK's own bin is not the runtime's
        self.registry.add("javasoft_jdk", "11.0.2", jdk11)
        self.registry.add("javasoft_jdk", "1.8.0_202", jdk8)
        self.registry.commit()
        self.assertEqual(self.chosen(), self.library(jdk11))
        self.assertEqual(self.chosen("Maximum Version=1.8"),
                         self.library(os.path.join(jdk8, "jre")))

    def test_a_vm_library_that_imports_from_its_bin_folder_loads(self):
        home = self.runtime("helper", "17.0.9", ("server",),
                            library=windows_build_path("tests", "tools",
                                                       "fake_jvm_with_helper.dll"))
        self.register(CURRENT_SOURCES[2], home)
        self.registry.commit()
        record = self.app.file("record.txt")
        self.app.write_ini("[Java Runtime Environment]\nJVM Type=server\nMain Class=fake.Main\n"
                           "[Class Path]\nClass Path=C:\\app\\app.jar\n")
        env = {"FAKE_JVM_RECORD": to_windows_path(record)}
        # Without the library it imports, the VM library does not load.
        result = self.app.run(lang=ENGLISH, env=env)
        self.assertEqual(result.exit_code, MINUS_ONE)
        self.assertTrue(any(re.search(r"Failed to load Java VM library", m)
                            for m in result.messages), result.messages)
        shutil.copy2(windows_build_path("tests", "tools", "jvm_helper.dll"),
                     os.path.join(home, "bin"))
        result = self.app.run(lang=ENGLISH, env=env)
        self.assertEqual(result.exit_code, 0, result.messages)
        with open(record, encoding="utf-8") as f:
            self.assertIn("helper-loaded", f.read().splitlines())


if __name__ == "__main__":
    import unittest
    unittest.main()
