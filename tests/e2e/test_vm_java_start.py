"""A Java program started by the POSIX launcher on the real VM: arguments, exit codes, the
main class lookup and the class path."""

import os
import shutil
import unittest

from java_app import ProbeApp, java_file

FAILURE = 255  # exit code -1


class JavaStart(unittest.TestCase):
    def probe(self, *args, **kwargs):
        app = ProbeApp(*args, **kwargs)
        self.addCleanup(app.remove)
        return app

    def test_arguments_reach_main_unchanged_command_line_first(self):
        app = self.probe("probe.Args", application_section='Cmd=from-ini "two words"\n')
        arguments = ["-nosplash", "Grüße", "日本語 テキスト", 'quote"inside', "/nosplash"]
        result = app.run(arguments)
        self.assertEqual(result.exit_code, 0, result.stderr)
        self.assertEqual(app.lines(), arguments + ["from-ini", "two words"])

    def test_system_exit_code_becomes_the_process_exit_code(self):
        for code, expected in ((0, 0), (3, 3), (200, 200), (-1, FAILURE)):
            with self.subTest(code=code):
                app = self.probe("probe.Exit")
                self.assertEqual(app.run([str(code)]).exit_code, expected)

    def test_a_missing_main_class_is_reported_and_fails(self):
        result = self.probe("probe.Missing").run()
        self.assertEqual(result.exit_code, FAILURE)
        self.assertIn("NoClassDefFoundError: probe/Missing", result.stderr)
        self.assertIn("Could not find the main class probe/Missing.\n", result.stderr)

    def test_a_class_without_main_is_reported_and_fails(self):
        result = self.probe("probe.NoMain").run()
        self.assertEqual(result.exit_code, FAILURE)
        self.assertIn("No main method found in specified class.\n", result.stderr)
        self.assertNotIn("NoSuchMethodError", result.stderr)

    def test_wildcard_and_relative_entries_are_found_in_the_launcher_folder(self):
        app = self.probe("probe.ClassPath", jar_folder="lib",
                         class_path="lib/*.jar;missing.jar;/absent/given.jar")
        shutil.copy(java_file("probe-extra.jar"), app.file("lib"))
        result = app.run(cwd="/")
        self.assertEqual(result.exit_code, 0, result.stderr)
        lib = app.file("lib")
        self.assertEqual(app.lines(), [
            "java.class.path=%s/probe-extra.jar:%s/probe.jar:/absent/given.jar:" % (lib, lib),
            "extra.Marker found"])

    def test_an_empty_class_path_is_reported(self):
        result = self.probe("probe.Args", class_path="lib/*.jar").run()
        self.assertIn("Java Class Path was not specified in INI file.", result.stderr)
        self.assertEqual(result.exit_code, FAILURE)

    def test_an_executable_with_an_appended_jar_is_its_own_class_path(self):
        app = self.probe("probe.Args", class_path="",
                         application_section="Embedded Jar=yes\n")
        with open(app.app.path, "ab") as executable, open(java_file("probe.jar"), "rb") as jar:
            executable.write(jar.read())
        os.remove(app.file("probe.jar"))
        result = app.run(["embedded"])
        self.assertEqual(result.exit_code, 0, result.stderr)
        self.assertEqual(app.lines(), ["embedded"])


if __name__ == "__main__":
    unittest.main()
