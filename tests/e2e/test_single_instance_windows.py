"""Single-instance mode of launcher.exe under Wine. The test VM library's fake/Single and
fake/SingleVoid keep main running until a stop file exists and record each request that reaches
secondaryMain (see tests/tools/fake_jvm_win32.cpp)."""

import os
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

from harness import run_windows, to_windows_path, wait_until, windows_build_path
from test_vm_windows import FakeVmApp

FAILURE = 4294967295  # exit code -1
PROBE = to_windows_path(windows_build_path("tests", "tools", "instance_block_probe.exe"))


class Primary:
    def __init__(self, test, main_class="fake.Single", exit_code=0):
        self.app = FakeVmApp(main_class=main_class,
                             application_section="Single Instance=yes\n")
        self.stop = self.app.app.file("stop")
        self.env = {"FAKE_JVM_STOP": to_windows_path(self.stop),
                    "FAKE_JVM_EXIT": str(exit_code)}
        self.pool = ThreadPoolExecutor(max_workers=40)
        self.first = None
        test.addCleanup(self.app.remove)
        test.addCleanup(self.pool.shutdown)
        test.addCleanup(lambda: open(self.stop, "w").close())

    def start(self):
        self.first = self.pool.submit(self.app.run, ["first"], self.env)
        self.wait_until(lambda: "main-arg first" in self.app.record())
        return self

    def later(self, args):
        return self.app.run(args, self.env).exit_code

    def later_in_background(self, args):
        return self.pool.submit(self.later, args)

    def wait_until(self, condition):
        wait_until(condition, lambda: "record so far: %s" % self.app.record(), timeout=90)

    def requests(self):
        return self.app.entries("secondary")

    def finish(self):
        open(self.stop, "w").close()
        return self.first.result(timeout=120).exit_code

    def name(self):
        return to_windows_path(self.app.app.path).replace("\\", "_")

    def block(self):
        """What another process sees of the shared block, as a dictionary."""
        output = run_windows('"%s" "%s"' % (PROBE, self.name())).stdout
        return dict(line.split("=", 1) for line in output.splitlines() if "=" in line)

    def hold(self, what):
        """A process that keeps the block ("hold-block") or the request lock ("hold-lock")
        against the protocol, until the file <what>.stop exists."""
        ready, stop = (to_windows_path(self.app.app.file(what + e)) for e in (".ready", ".stop"))
        holder = self.pool.submit(run_windows, " ".join('"%s"' % a for a in (
            PROBE, self.name(), what, ready, stop)))
        self.wait_until(lambda: os.path.exists(self.app.app.file(what + ".ready")))
        return holder

    def timed_later(self, args):
        """The exit code of a later start and the seconds between its last two trace lines
        (settings read, end): its own waiting, without Wine's process start."""
        trace = self.app.app.file("trace-%d.txt" % time.monotonic_ns())
        code = self.app.run(args, dict(self.env, JL_TRACE=to_windows_path(trace))).exit_code
        with open(trace, encoding="utf-8") as f:
            stamps = [float(line[1:].split("ms]")[0]) for line in f]
        return code, (stamps[-1] - stamps[-2]) / 1000


def bracketed(args):
    return "".join("[%s]" % a for a in args)


def block_bytes(args):
    units = "".join(a + "\0" for a in args) + "\0"
    return units.encode("utf-16-le").hex().ljust(128, "0")


class SingleInstanceUnderWine(unittest.TestCase):
    def test_the_block_and_the_answers_of_the_int_form(self):
        primary = Primary(self).start()
        cases = [
            (["a", "", "b"], 3),
            (["Grüße", "日本語"], 2),
            ([], 1),
            (["x" * 518], 1),
            (["answer=7"], 7),
            (["answer=-2"], 4294967294),
        ]
        for args, code in cases:
            with self.subTest(args=args[:2]):
                self.assertEqual(primary.later(args), code)
                self.assertEqual(primary.requests()[-1], bracketed(args or [""]))
        # One character more than the block holds: the start fails and sends nothing.
        self.assertEqual(primary.later(["x" * 519]), FAILURE)
        self.assertEqual(len(primary.requests()), len(cases))

        primary.later(["a", "", "b"])
        block = primary.block()
        self.assertEqual(block["block"], "present")
        self.assertEqual(block["message"], block["registered"])
        self.assertNotEqual(block["thread"], "0")
        self.assertEqual(block["image"].lower(), to_windows_path(primary.app.app.path).lower())
        self.assertEqual(block["event"], "present")
        self.assertEqual(block["args"], block_bytes(["a", "", "b"]))
        self.assertEqual(block["second-half-zero"], "1")
        self.assertEqual(primary.finish(), 0)
        # The block goes with the last process that has it open.
        self.assertEqual(primary.block()["block"], "absent")

    def test_the_void_form_answers_zero_before_the_call(self):
        primary = Primary(self, main_class="fake.SingleVoid").start()
        # "hold" never returns: only an answer before the call ends this start.
        self.assertEqual(primary.later(["hold", "é"]), 0)
        self.assertEqual(primary.requests(), ["[hold][é]"])
        primary.later(["z"])
        self.assertEqual(primary.requests()[-1], "[z]")

    def test_a_primary_that_ends_first_gives_its_exit_code(self):
        primary = Primary(self, exit_code=9).start()
        waiting = primary.later_in_background(["hold"])
        primary.wait_until(lambda: primary.requests() == ["[hold]"])
        self.assertEqual(primary.finish(), 9)
        self.assertEqual(waiting.result(timeout=120), 9)

    def test_simultaneous_starts_each_deliver_their_own_request(self):
        primary = Primary(self).start()
        requests = [["answer=%d" % n, "from %d" % n, "ü" * n] for n in range(1, 13)]
        results = list(primary.pool.map(primary.later, requests))
        self.assertEqual(results, list(range(1, 13)))
        self.assertEqual(sorted(primary.requests()), sorted(map(bracketed, requests)))
        self.assertEqual(primary.finish(), 0)


    def test_a_start_never_waits_unbounded_on_a_process_outside_the_protocol(self):
        primary = Primary(self)
        # A block that no listener ever fills in: -1 after about 5 s. Then a first start whose
        # request lock another process keeps: -1 after about 10 s.
        for what, bounds in (("hold-block", (4.9, 30)), ("hold-lock", (9.9, 40))):
            if what == "hold-lock":
                primary.start()
            holder = primary.hold(what)
            code, seconds = primary.timed_later(["answer=7"])
            self.assertEqual(code, FAILURE)
            self.assertTrue(bounds[0] <= seconds < bounds[1], (what, seconds))
            open(primary.app.app.file(what + ".stop"), "w").close()
            self.assertEqual(holder.result(timeout=60).exit_code, 0)
        # Once the lock is free, later starts are handed over again.
        self.assertEqual(primary.requests(), [])
        self.assertEqual(primary.later(["answer=7"]), 7)
        self.assertEqual(primary.finish(), 0)


if __name__ == "__main__":
    unittest.main()
