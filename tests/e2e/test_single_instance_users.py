"""Single-instance mode of the POSIX launcher on a machine with two users: one application
folder, two real accounts that the test creates. Each user's first start is a primary of its
own; nothing one user does reaches the other's program. Needs root to create the accounts."""

import fcntl
import os
import pwd
import shutil
import socket
import subprocess
import tempfile
import textwrap
import unittest
import uuid

from harness import wait_until
from java_app import ProbeApp

ENV_KEEP = ("LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS")


def create_account(test):
    if os.geteuid() != 0:
        test.skipTest("creating the two test accounts needs root (useradd)")
    name = "jlsi" + uuid.uuid4().hex[:8]
    created = subprocess.run(["useradd", "-M", "-N", "-s", "/bin/false", name],
                             capture_output=True, text=True)
    if created.returncode != 0:
        test.skipTest("useradd cannot create a test account here: " + created.stderr.strip())
    test.addCleanup(subprocess.run, ["userdel", name], capture_output=True)
    test.addCleanup(shutil.rmtree, "/tmp/hsperfdata_" + name, ignore_errors=True)
    return pwd.getpwnam(name)


class User:
    """An account with a working folder of its own, in which its programs write probe.out and
    look for the file "stop"."""

    def __init__(self, test, root, app, runtime_dir=False):
        self.account = create_account(test)
        self.app, self.processes, self.spawned = app, [], []
        self.home = os.path.join(root, self.account.pw_name)
        os.mkdir(self.home, 0o700)
        os.chown(self.home, self.account.pw_uid, self.account.pw_gid)
        self.env = {k: os.environ[k] for k in ENV_KEEP if k in os.environ}
        self.env.update(PATH="/usr/bin:/bin", HOME=self.home, JL_TRACE=self.path("trace"))
        self.env["ASAN_OPTIONS"] = "detect_leaks=0"
        if runtime_dir:
            self.env["XDG_RUNTIME_DIR"] = self.path("run")
            os.mkdir(self.env["XDG_RUNTIME_DIR"], 0o700)
            os.chown(self.env["XDG_RUNTIME_DIR"], self.account.pw_uid, self.account.pw_gid)
        test.addCleanup(self.kill_all)

    def path(self, *parts):
        return os.path.join(self.home, *parts)

    def spawn(self, argv, keep=True):
        """keep: stop() lets the process end and gives its exit code."""
        process = subprocess.Popen(argv, cwd=self.home, env=self.env, user=self.account.pw_uid,
                                   group=self.account.pw_gid, extra_groups=[],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.spawned.append(process)
        if keep:
            self.processes.append(process)
        return process

    def start(self, args):
        """A start whose program runs: it is up once main has written its line."""
        process = self.spawn([self.app.app.path] + args)
        self.wait_for("main " + " ".join(args), process)
        return process

    def later(self, args):
        process = self.spawn([self.app.app.path] + args, keep=False)
        process.communicate(timeout=60)
        return process.returncode

    def python(self, code):
        """Runs Python code as this user in the background; its output when it ends."""
        return self.spawn(["python3", "-c", textwrap.dedent(code)], keep=False)

    def lines(self):
        try:
            with open(self.path("probe.out"), encoding="utf-8") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def trace(self):
        with open(self.path("trace"), encoding="utf-8") as f:
            return f.read()

    def wait_for(self, line, process=None):
        wait_until(lambda: line in self.lines() or (process and process.poll() is not None),
                   lambda: "%s so far: %s" % (self.account.pw_name, self.lines()))
        if line not in self.lines():
            raise AssertionError("%r never came: %s" % (line, process.communicate()))

    def stop(self):
        """Lets every running program of this user end; their exit codes."""
        open(self.path("stop"), "w").close()
        codes = [p.wait(timeout=60) for p in self.processes]
        self.processes.clear()
        os.remove(self.path("stop"))
        return codes

    def kill_all(self):
        for process in self.spawned:
            if process.poll() is None:
                process.kill()
            process.communicate()


def fnv1a(text):
    value = 0xcbf29ce484222325
    for byte in text.encode():
        value = ((value ^ byte) * 0x100000001b3) % 2**64
    return "%016x" % value


# A process of the squatting user that listens at a socket path and reports each connection.
LISTENER = """
import os, socket, sys
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
if not sys.argv[1].startswith("\\0"):
    os.chmod(sys.argv[1], 0o777)
server.listen(50)
server.settimeout(float(sys.argv[2]))
try:
    while True:
        client, _ = server.accept()
        client.settimeout(2)
        print("connection", client.recv(2000), flush=True)
except socket.timeout:
    print("done", flush=True)
"""


class SingleInstanceOfSeveralUsers(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="launcher-e2e-users-")
        os.chmod(self.root, 0o755)
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        os.mkdir(os.path.join(self.root, "app"))
        self.app = ProbeApp("probe.Single", folder=os.path.join(self.root, "app"),
                            vm_parameters="-Dprobe.stop=stop", application_section=
                            "Single Instance=yes\n")
        # Each user's program writes into its own working folder.
        with open(self.app.app.ini_path, encoding="utf-8") as f:
            ini = f.read().replace(self.app.out, "probe.out")
        with open(self.app.app.ini_path, "w", encoding="utf-8") as f:
            f.write(ini)
        os.chmod(self.app.file(), 0o755)

    def squat(self, user, path, seconds=40):
        return user.python(LISTENER.replace("sys.argv[1]", repr(path))
                           .replace("sys.argv[2]", str(seconds)))

    def test_each_user_has_a_primary_of_their_own_and_reaches_no_other(self):
        a = User(self, self.root, self.app)
        b = User(self, self.root, self.app, runtime_dir=True)
        # B listens where the launcher once named its socket (the abstract namespace).
        abstract = "\0" + self.app.app.path.replace("/", "_")
        squatter = self.squat(b, abstract, seconds=30)

        a.start(["a-first"])
        b.start(["b-first"])  # B's first start runs B's own program
        self.assertEqual(a.later(["answer=7", "from-a"]), 7)
        self.assertEqual(b.later(["answer=5", "from-b"]), 5)
        self.assertEqual(a.lines(), ["main a-first", "secondary [answer=7][from-a]"])
        self.assertEqual(b.lines(), ["main b-first", "secondary [answer=5][from-b]"])

        # B cannot even open A's folder, let alone connect to A's socket.
        folder = "/tmp/jl-single-instance-%d" % a.account.pw_uid
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        [sock] = [n for n in os.listdir(folder) if n.endswith(".sock")]
        probe = b.python("""
            import socket
            try:
                socket.socket(socket.AF_UNIX).connect(%r)
            except OSError as e:
                print(type(e).__name__)
            """ % os.path.join(folder, sock))
        self.assertEqual(probe.communicate(timeout=60)[0].decode().strip(), "PermissionError")
        # A process of another user that reaches the socket all the same (root can) is turned
        # away unread by A's primary.
        with socket.socket(socket.AF_UNIX) as intruder:
            intruder.connect(os.path.join(folder, sock))
            intruder.settimeout(30)
            try:
                arguments = "answer=3\0\0".encode("utf-16-le").ljust(1040, b"\0")
                intruder.sendall(b"\1\0\0\0" + arguments)
                answer = intruder.recv(5)
            except (BrokenPipeError, ConnectionResetError):
                answer = b""
        self.assertEqual(answer, b"")

        self.assertEqual(a.stop() + b.stop(), [0, 0])
        self.assertEqual(a.lines()[2:] + b.lines()[2:], [])
        self.assertEqual(squatter.communicate(timeout=60)[0], b"done\n")

    def test_files_planted_by_another_user_or_a_foreign_listener_are_never_used(self):
        a = User(self, self.root, self.app)
        b = User(self, self.root, self.app)
        # Before A's first start, B makes A's per-user folder, open to all, with a lock file, a
        # block and a listening socket under the names A's files would have.
        uid = a.account.pw_uid
        planted = "/tmp/jl-single-instance-%d" % uid
        stem = os.path.join(planted, fnv1a(self.app.app.path))
        self.addCleanup(shutil.rmtree, planted, ignore_errors=True)
        b.python("""
            import os
            os.mkdir(%r); os.chmod(%r, 0o777)
            for suffix in (".lock", ".block"):
                with open(%r + suffix, "wb") as f:
                    f.write(bytes(2092))
                os.chmod(%r + suffix, 0o666)
            """ % (planted, planted, stem, stem)).communicate(timeout=60)
        squatter = self.squat(b, stem + ".sock", seconds=20)
        wait_until(lambda: os.path.exists(stem + ".sock"), lambda: "no socket planted")

        # A's starts run A's program each time; nothing goes to B's listener, nothing waits on it.
        a.start(["a-first"])
        a.start(["a-second"])
        self.assertIn("belongs to uid %d" % b.account.pw_uid, a.trace())
        self.assertIn("this start runs on its own", a.trace())
        self.assertEqual(a.stop(), [0, 0])
        self.assertEqual(squatter.communicate(timeout=60)[0], b"done\n")

        # Within A's own folder: another user's process (root) holds the lock and listens on a
        # socket it gave to A. A's start sees that the peer is not A and sends it nothing.
        shutil.rmtree(planted)
        a.start(["a-third"])
        self.assertEqual(a.stop(), [0])
        with open(stem + ".lock", "r+b") as lock:
            fcntl.lockf(lock, fcntl.LOCK_EX | fcntl.LOCK_NB, 1, 0)
            server = socket.socket(socket.AF_UNIX)
            self.addCleanup(server.close)
            server.bind(stem + ".tmp")
            os.chown(stem + ".tmp", uid, a.account.pw_gid)
            os.chmod(stem + ".tmp", 0o600)
            os.rename(stem + ".tmp", stem + ".sock")
            server.listen(5)
            a.start(["a-fourth"])
            client, _ = server.accept()
            with client:
                client.settimeout(5)
                self.assertEqual(client.recv(2000), b"")  # A closed it without a byte
        self.assertIn("served by another user's process", a.trace())
        self.assertEqual(a.stop(), [0])


if __name__ == "__main__":
    unittest.main()
