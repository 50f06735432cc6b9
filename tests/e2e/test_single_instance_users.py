"""Single-instance mode of the POSIX launcher with two real accounts (created by the test, which
needs root for it) and one application folder: each user's first start is a primary of its own,
and nothing one user does reaches the other's program."""

import fcntl
import os
import pwd
import shutil
import socket
import subprocess
import tempfile
import unittest
import uuid

from harness import wait_until
from java_app import ProbeApp

# Run as another user: listens at a path until 20 s pass without a connection; prints each one.
LISTENER = """import os, socket, sys
path = sys.argv[1].replace("@", "\\0", 1)  # @: the abstract namespace
s = socket.socket(socket.AF_UNIX); s.bind(path); s.listen(9); s.settimeout(20)
if path[0] != "\\0": os.chmod(path, 0o777)
try:
    while True: print("connection", s.accept()[0].recv(9), flush=True)
except socket.timeout: print("done")"""


class User:
    """An account with a working folder in which its programs write probe.out and wait for
    the file "stop"."""

    def __init__(self, test, root, tool, runtime_dir=False):
        if os.geteuid() != 0:
            test.skipTest("creating the two test accounts needs root (useradd)")
        name = "jlsi" + uuid.uuid4().hex[:8]
        made = subprocess.run(["useradd", "-M", "-N", name], capture_output=True, text=True)
        if made.returncode != 0:
            test.skipTest("useradd cannot create a test account here: " + made.stderr)
        test.addCleanup(subprocess.run, ["userdel", name])
        test.addCleanup(shutil.rmtree, "/tmp/hsperfdata_" + name, ignore_errors=True)
        self.account, self.tool, self.running, self.spawned = pwd.getpwnam(name), tool, [], []
        self.home = self.make(os.path.join(root, name))
        self.env = {"PATH": "/usr/bin:/bin", "HOME": self.home, "ASAN_OPTIONS": "detect_leaks=0",
                    "JL_TRACE": self.file("trace")}
        if runtime_dir:
            self.env["XDG_RUNTIME_DIR"] = self.make(self.file("run"))
        # userdel refuses an account that still has processes.
        test.addCleanup(lambda: [(p.kill(), p.communicate()) for p in self.spawned])

    def make(self, folder):
        os.mkdir(folder, 0o700)
        os.chown(folder, self.account.pw_uid, self.account.pw_gid)
        return folder

    def file(self, name):
        return os.path.join(self.home, name)

    def spawn(self, argv):
        self.spawned.append(subprocess.Popen(
            argv, cwd=self.home, env=self.env, user=self.account.pw_uid, group=self.account.pw_gid,
            extra_groups=[], stdout=subprocess.PIPE, stderr=subprocess.STDOUT))
        return self.spawned[-1]

    def start(self, arg):
        """A start whose program runs (main has written its line)."""
        self.running.append(self.spawn([self.tool, arg]))
        wait_until(lambda: "main " + arg in self.lines() or self.running[-1].poll() is not None,
                   self.lines)
        if "main " + arg not in self.lines():
            raise AssertionError(self.running[-1].communicate()[0])
        return self

    def later(self, *args):
        return self.spawn([self.tool] + list(args)).wait(timeout=60)

    def output(self, argv):
        return self.spawn(argv).communicate(timeout=60)[0].decode().strip()

    def lines(self):
        path = self.file("probe.out")
        return open(path, encoding="utf-8").read().splitlines() if os.path.exists(path) else []

    def stop(self):
        """Lets this user's programs end; their exit codes."""
        open(self.file("stop"), "w").close()
        codes = [p.wait(timeout=60) for p in self.running]
        self.running = []
        os.remove(self.file("stop"))
        return codes


class SingleInstanceOfSeveralUsers(unittest.TestCase):
    def setUp(self):
        root = tempfile.mkdtemp(prefix="launcher-e2e-users-")
        self.addCleanup(shutil.rmtree, root, ignore_errors=True)
        os.chmod(root, 0o755)
        os.mkdir(os.path.join(root, "app"))
        app = ProbeApp("probe.Single", folder=os.path.join(root, "app"),
                       vm_parameters="-Dprobe.stop=stop",
                       application_section="Single Instance=yes\n")
        # probe.out relative: each user's program writes into its own working folder.
        with open(app.app.ini_path, "r+", encoding="utf-8") as f:
            ini = f.read().replace(app.out, "probe.out")
            f.seek(0), f.truncate(), f.write(ini)
        os.chmod(app.file(), 0o755)
        self.root, self.tool = root, app.app.path

    def test_each_user_has_a_primary_of_their_own_and_reaches_no_other(self):
        a, b = User(self, self.root, self.tool), User(self, self.root, self.tool, True)
        folder = "/tmp/jl-single-instance-%d" % a.account.pw_uid
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        # B listens where the launcher once named its socket (the abstract namespace).
        squatter = b.spawn(["python3", "-c", LISTENER, "@" + self.tool.replace("/", "_")])
        a.start("a-first")
        b.start("b-first")
        self.assertEqual((a.later("answer=7", "from-a"), b.later("answer=5")), (7, 5))
        self.assertEqual(a.lines(), ["main a-first", "secondary [answer=7][from-a]"])
        self.assertEqual(b.lines(), ["main b-first", "secondary [answer=5]"])

        [sock] = [os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".sock")]
        connect = "import socket\ntry: socket.socket(socket.AF_UNIX).connect(%r)\n" \
                  "except OSError as e: print(e.errno)" % sock
        self.assertEqual(b.output(["python3", "-c", connect]), "13")  # EACCES
        # Another user's process that reaches the socket anyway (root can) is closed unread.
        with socket.socket(socket.AF_UNIX) as intruder:
            intruder.connect(sock)
            try:
                intruder.sendall(b"\1\0\0\0" + "answer=3".encode("utf-16-le").ljust(1040, b"\0"))
                self.assertEqual(intruder.recv(5), b"")
            except (BrokenPipeError, ConnectionResetError):
                pass
        self.assertEqual(a.stop() + b.stop(), [0, 0])
        self.assertEqual(len(a.lines() + b.lines()), 4)
        self.assertEqual(squatter.communicate(timeout=60)[0], b"done\n")

    def test_files_planted_by_another_user_or_a_foreign_listener_are_never_used(self):
        a, b = User(self, self.root, self.tool), User(self, self.root, self.tool)
        # Before A's first start, B makes A's folder, open to all, with a lock file, a block and
        # a listening socket under the names A's files have (a hash of the path, FNV-1a).
        folder = "/tmp/jl-single-instance-%d" % a.account.pw_uid
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        stem = os.path.join(folder, "%016x" % fnv1a(self.tool))
        b.output(["ln", "-s", b.home, folder])  # first a link: never followed
        self.assertEqual(a.start("a-zero").stop(), [0])
        self.assertIn(folder + " is not a folder", open(a.file("trace")).read())
        b.output(["rm", folder])
        b.output(["sh", "-c", "umask 0; mkdir %s && touch %s.lock %s.block" % ((folder,) +
                                                                              (stem,) * 2)])
        squatter = b.spawn(["python3", "-c", LISTENER, stem + ".sock"])
        wait_until(lambda: os.path.exists(stem + ".sock"), lambda: "no socket planted")
        # Each of A's starts runs A's program: nothing goes to B, nothing waits on B.
        a.start("a-first").start("a-second")
        self.assertIn("belongs to uid %d" % b.account.pw_uid, open(a.file("trace")).read())
        self.assertEqual(a.stop(), [0, 0])
        self.assertEqual(squatter.communicate(timeout=60)[0], b"done\n")

        # In A's own folder, a process of another user (root) holds the lock and listens on a
        # socket it gave to A: A's start finds that the peer is not A and sends it nothing.
        shutil.rmtree(folder)
        self.assertEqual(a.start("a-third").stop(), [0])
        with open(stem + ".lock", "r+b") as lock, socket.socket(socket.AF_UNIX) as server:
            fcntl.lockf(lock, fcntl.LOCK_EX | fcntl.LOCK_NB, 1, 0)
            server.bind(stem + ".new")
            os.chown(stem + ".new", a.account.pw_uid, a.account.pw_gid)
            os.chmod(stem + ".new", 0o600)
            os.rename(stem + ".new", stem + ".sock")
            server.listen(5)
            a.start("a-fourth")
            with server.accept()[0] as client:
                self.assertEqual(client.recv(9), b"")
        self.assertIn("served by another user's process", open(a.file("trace")).read())
        self.assertEqual(a.stop(), [0])


def fnv1a(text):
    value = 0xcbf29ce484222325
    for byte in text.encode():
        value = ((value ^ byte) * 0x100000001b3) % 2**64
    return value


if __name__ == "__main__":
    unittest.main()
