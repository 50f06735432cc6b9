"""Single-instance mode of the POSIX launcher on the real VM: the first start runs probe.Single
(or probe.SingleVoid) and stays up; later starts of the same executable hand their arguments to
its secondaryMain and end with the answer."""

import os
import shutil
import socket
import subprocess
import tempfile
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

from harness import wait_until
from java_app import ProbeApp

FAILURE = 255  # exit code -1
ENV = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")


class Primary:
    """A single-instance application folder and its first start. The program runs in the
    folder, where it waits for the file "stop"."""

    def __init__(self, test, main_class="probe.Single", delay=0, exit_code=0,
                 setting="Single Instance=yes\n", folder=None, env=None):
        self.app = ProbeApp(main_class, application_section=setting, folder=folder,
                            vm_parameters="-Dprobe.stop=stop -Dprobe.delay=%d -Dprobe.exit=%d"
                            % (delay, exit_code))
        self.process = None
        self.env = dict(ENV, **(env or {}))
        test.addCleanup(self.app.remove)
        test.addCleanup(self.kill)

    def spawn(self, args=()):
        return subprocess.Popen([self.app.app.path] + list(args), cwd=self.app.file(),
                                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def start(self, args=("first",), wait=True):
        self.process = self.spawn(args)
        if wait:
            self.wait_until(lambda: any(l.startswith("main") for l in self.app.lines()))
        return self

    def later(self, args=()):
        """A later start run to its end: (exit code, standard error)."""
        return run(self.spawn(args))

    def wait_until(self, condition):
        wait_until(condition, lambda: "lines so far: %s" % self.app.lines())

    def secondary_lines(self):
        return [line for line in self.app.lines() if not line.startswith("main")]

    def finish(self):
        """Lets main end; the first start's exit code."""
        open(self.app.file("stop"), "w").close()
        return run(self.process)[0]

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.communicate()


def run(process, timeout=60):
    _, stderr = process.communicate(timeout=timeout)
    return process.returncode, stderr.decode("utf-8", "replace")


def line_of(args):
    return "secondary " + "".join("[%s]" % a for a in args)


class SingleInstance(unittest.TestCase):
    def test_arguments_arrive_whole_and_the_int_answer_is_the_exit_code(self):
        primary = Primary(self).start()
        cases = [
            (["Grüße", "日本語 テキスト"], 2),
            (["a", "", "b"], 3),          # an empty argument does not end the list
            ([], 1),                      # no arguments: one empty string
            (["x" * 518], 1),             # exactly fills the block
            (["answer=7", "more"], 7),
        ]
        for args, code in cases:
            with self.subTest(args=args[:2]):
                exit_code, stderr = primary.later(args)
                self.assertEqual(exit_code, code, stderr)
                self.assertEqual(primary.secondary_lines()[-1], line_of(args or [""]))
        self.assertEqual(primary.finish(), 0)

    def test_an_argument_list_too_long_for_the_block_fails_without_a_request(self):
        primary = Primary(self).start()
        self.assertEqual(primary.later(["x" * 519])[0], FAILURE)
        self.assertEqual(primary.later(["x" * 300, "y" * 300])[0], FAILURE)
        self.assertEqual(primary.secondary_lines(), [])
        self.assertEqual(primary.finish(), 0)

    def test_the_void_form_answers_zero_before_the_call_runs(self):
        primary = Primary(self, "probe.SingleVoid").start()
        # "block" keeps secondaryMain running: only an answer before the call can end the start.
        self.assertEqual(primary.later(["block", "ü"])[0], 0)
        self.assertEqual(primary.later(["answer=9"])[0], 0)
        primary.wait_until(lambda: len(primary.secondary_lines()) == 2)
        self.assertEqual(sorted(primary.secondary_lines()),
                         sorted([line_of(["block", "ü"]), line_of(["answer=9"])]))
        self.assertEqual(primary.finish(), 0)

    def test_a_start_during_start_up_is_answered_after_main_began(self):
        primary = Primary(self, delay=1500).start(wait=False)
        time.sleep(0.3)
        exit_code, stderr = primary.later(["early-bird"])
        self.assertEqual(exit_code, 1, stderr)
        # "secondary", not "early": secondaryMain saw that main had begun.
        self.assertEqual(primary.secondary_lines(), [line_of(["early-bird"])])
        self.assertEqual(primary.finish(), 0)

    def test_a_primary_that_ends_first_hands_over_its_exit_code(self):
        primary = Primary(self, exit_code=7).start()
        waiting = primary.spawn(["hold"])
        primary.wait_until(lambda: primary.secondary_lines() == [line_of(["hold"])])
        self.assertEqual(primary.finish(), 7)
        self.assertEqual(run(waiting)[0], 7)

    def test_two_hundred_simultaneous_starts_each_deliver_their_own_request(self):
        primary = Primary(self).start()
        requests = [["answer=%d" % n, "from %d" % n, "é" * (n % 40)] for n in range(1, 201)]
        with ThreadPoolExecutor(max_workers=200) as pool:
            results = list(pool.map(primary.later, requests))
        self.assertEqual([code for code, _ in results], list(range(1, 201)))
        self.assertEqual(sorted(primary.secondary_lines()), sorted(map(line_of, requests)))
        self.assertEqual(primary.finish(), 0)

    def test_a_copy_in_another_folder_is_a_primary_of_its_own(self):
        primary = Primary(self).start()
        # A path too long for a socket name: the names end in a hash of the path.
        deep = os.path.join(tempfile.mkdtemp(prefix="launcher-e2e-"), "d" * 80, "e" * 80)
        os.makedirs(deep)
        self.addCleanup(shutil.rmtree, os.path.dirname(os.path.dirname(deep)))
        other = Primary(self, folder=deep).start(["other"])
        self.assertEqual(other.later(["to-other"])[0], 1)
        self.assertEqual(primary.secondary_lines(), [])
        self.assertEqual(other.secondary_lines(), [line_of(["to-other"])])
        self.assertEqual(other.finish(), 0)
        self.assertEqual(primary.finish(), 0)

    def test_a_killed_primary_leaves_nothing_that_blocks_the_next_start(self):
        primary = Primary(self).start()
        waiting = primary.spawn(["hold"])
        primary.wait_until(lambda: primary.secondary_lines() == [line_of(["hold"])])
        primary.kill()
        # The later start lost its primary without a word.
        self.assertEqual(run(waiting)[0], FAILURE)
        os.remove(primary.app.out)
        primary.start(["again"])
        self.assertEqual(primary.app.lines(), ["main again"])
        self.assertEqual(primary.later(["answer=5"])[0], 5)
        self.assertEqual(primary.finish(), 0)

    def test_connections_that_send_part_of_a_request_hold_up_no_later_start(self):
        runtime = tempfile.mkdtemp(prefix="launcher-e2e-run-")
        self.addCleanup(shutil.rmtree, runtime)
        primary = Primary(self, env={"XDG_RUNTIME_DIR": runtime}).start()
        folder = os.path.join(runtime, "jl-single-instance")
        [path] = [os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".sock")]
        times = {False: [], True: []}
        for hinder in [False, True] * 5:
            partial = [socket.socket(socket.AF_UNIX) for _ in range(20 if hinder else 0)]
            for n, client in enumerate(partial):
                client.connect(path)
                client.send(b"\1\0\0\0"[:n % 4 + 1])
            began = time.monotonic()
            self.assertEqual(primary.later(["answer=4"])[0], 4)
            times[hinder].append(time.monotonic() - began)
            for client in partial:  # still open, unanswered: served beside the later start
                self.assertRaises(BlockingIOError, client.recv, 1, socket.MSG_DONTWAIT)
                client.close()
        # Quickest against quickest, which load barely moves; waiting on each would add seconds.
        self.assertLess(min(times[True]), min(times[False]) + 0.05, times)
        self.assertEqual(primary.finish(), 0)

    def test_the_mode_is_off_unless_the_setting_is_exactly_yes(self):
        for setting in ("Single Instance=Yes\n", "Single Instance=yes\nApplication Type=service\n"):
            with self.subTest(setting=setting):
                first = Primary(self, setting=setting).start(["one"])
                second = first.spawn(["two"])
                first.wait_until(lambda: sorted(first.app.lines()) == ["main one", "main two"])
                self.assertEqual(first.finish(), 0)
                self.assertEqual(run(second)[0], 0)


if __name__ == "__main__":
    unittest.main()
