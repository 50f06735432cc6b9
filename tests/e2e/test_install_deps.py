"""scripts/install-deps.sh and the check of scripts/test.sh on a machine whose apt-get is a
stand-in (setup_machine.py): a mirror whose i386 security index is broken, packages that no
suite has, and a machine that lacks the 32-bit Wine."""

import re
import unittest

from setup_machine import Machine, SECURITY_I386, group_packages, script

NOT_FOR_THE_DEMO = re.compile(r"wine|mingw|xvfb|xdotool|clang|:i386")


class InstallDeps(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.demo = group_packages("demo")
        cls.test = group_packages("test")

    def machine(self, **state):
        machine = Machine(**state)
        self.addCleanup(machine.close)
        return machine

    def test_groups_hold_what_their_tasks_need(self):
        for package in ("build-essential", "cmake", "ninja-build", "openjdk-17-jdk-headless",
                        "libgtk-3-dev"):
            self.assertIn(package, self.demo)
        self.assertEqual([], [p for p in self.demo if NOT_FOR_THE_DEMO.search(p)])
        for package in self.demo + ["wine32:i386", "g++-mingw-w64-i686-posix", "xvfb", "clang"]:
            self.assertIn(package, self.test)

    def test_demo_goes_on_past_a_broken_index_of_another_architecture(self):
        machine = self.machine()
        result = machine.run(script("install-deps.sh"), "demo")
        self.assertEqual(0, result.returncode, result.stdout + result.stderr)
        self.assertEqual(sorted(self.demo), sorted(machine.asked_to_install()))
        self.assertEqual(1, len(machine.calls("apt-get", "update")), "no retry for i386")
        self.assertEqual([], machine.calls("dpkg", "add-architecture"))
        self.assertEqual("", machine.calls("apt-get", "install")[0]["preferences"])

    def test_a_broken_index_that_is_needed(self):
        # update_failures: how many updates fail before the mirror is whole again.
        for update_failures, updates, pinned in ((-1, 2, True), (1, 2, False)):
            with self.subTest(update_failures=update_failures):
                machine = self.machine(update_failures=update_failures)
                result = machine.run(script("install-deps.sh"), "test")
                self.assertEqual(0, result.returncode, result.stdout + result.stderr)
                self.assertEqual(set(self.test), machine.installed())
                self.assertEqual(["i386"], [c["arch"] for c in
                                            machine.calls("dpkg", "add-architecture")])
                self.assertEqual(updates, len(machine.calls("apt-get", "update")))
                last = machine.calls("apt-get", "install")[-1]
                self.assertEqual(pinned, "Pin: release n=bookworm-security\nPin-Priority: -1"
                                 in last["preferences"])
                self.assertEqual(pinned, "apt-get upgrade" in result.stdout)

    def test_each_package_that_cannot_be_installed_gets_one_line(self):
        machine = self.machine(failing_index=None, unavailable=["wine32:i386", "xclip"])
        result = machine.run(script("install-deps.sh"), "test")
        self.assertEqual(1, result.returncode)
        self.assertEqual(set(self.test) - {"wine32:i386", "xclip"}, machine.installed())
        lines = [line for line in result.stderr.splitlines() if line.startswith("  missing ")]
        self.assertEqual(2, len(lines), result.stderr)
        self.assertRegex(lines[0], r"^  missing wine32:i386: .*32-bit Wine.*"
                         r"apt-get install wine32:i386 \(apt: Unable to locate package wine32\)")
        self.assertRegex(lines[1], r"^  missing xclip: .*clipboard.*apt-get install xclip")

    def test_nothing_is_asked_of_apt_when_all_is_there(self):
        machine = self.machine(installed=self.test, foreign=["i386"])
        result = machine.run(script("install-deps.sh"), "test")
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertEqual([], machine.calls("apt-get") + machine.calls("dpkg"))

    def test_check_names_what_is_missing_and_installs_nothing(self):
        machine = self.machine(installed=[p for p in self.test if p != "wine32:i386"])
        result = machine.run(script("install-deps.sh"), "--check", "test")
        self.assertEqual(1, result.returncode)
        self.assertIn("missing wine32:i386:", result.stderr)
        self.assertRegex(result.stderr, r"install it with: (sudo )?apt-get install wine32:i386")
        self.assertEqual([], machine.calls("apt-get") + machine.calls("dpkg"))


class TestScript(unittest.TestCase):
    def test_without_32_bit_wine_it_stops_before_building(self):
        machine = Machine(installed=[p for p in group_packages("test") if p != "wine32:i386"],
                          foreign=["i386"], unavailable=["wine32:i386"], refuse=["cmake", "ctest"])
        self.addCleanup(machine.close)
        result = machine.run(script("test.sh"))
        self.assertNotEqual(0, result.returncode)
        self.assertIn("missing wine32:i386: runs launcher-x86.exe", result.stderr)
        self.assertRegex(result.stderr, r"install it with: (sudo )?apt-get install wine32:i386")
        self.assertEqual([], machine.calls("cmake") + machine.calls("ctest"))
        self.assertEqual({"wine32:i386"}, set(machine.asked_to_install()))


if __name__ == "__main__":
    unittest.main()
