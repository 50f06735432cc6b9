"""A machine for the setup scripts' tests: stand-ins for apt-get, dpkg, dpkg-query and sudo
(apt_standin.py) first on the PATH, over a package state of the test's choice."""

import json
import os
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# The index that the mirror served broken: the i386 list of the security suite.
SECURITY_I386 = ("http://deb.debian.org/debian-security/dists/bookworm-security/main/"
                 "binary-i386/Packages.xz")


def script(name):
    return os.path.join(os.environ["LAUNCHER_SOURCE_DIR"], "scripts", name)


class Machine:
    def __init__(self, installed=(), foreign=(), failing_index=SECURITY_I386, update_failures=-1,
                 unavailable=(), refuse=()):
        """refuse: further commands that must not run (a stand-in that records and fails)."""
        self.folder = tempfile.mkdtemp(prefix="setup-machine-")
        self.bin = os.path.join(self.folder, "bin")
        os.makedirs(self.bin)
        for tool in ("apt-get", "dpkg", "dpkg-query", "sudo"):
            os.symlink(os.path.join(HERE, "apt_standin.py"), os.path.join(self.bin, tool))
        for tool in refuse:
            path = os.path.join(self.bin, tool)
            with open(path, "w") as f:
                f.write("#!/bin/sh\necho '{\"tool\": \"%s\"}' >> \"$APT_STANDIN_STATE/calls.jsonl\"\n"
                        "exit 3\n" % tool)
            os.chmod(path, 0o755)
        with open(os.path.join(self.folder, "state.json"), "w") as f:
            json.dump({"installed": list(installed), "foreign": list(foreign),
                       "failing_index": failing_index, "update_failures": update_failures,
                       "unavailable": list(unavailable)}, f)

    def close(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def env(self, **extra):
        """The environment of the scripts; a None in extra removes that variable."""
        env = {**os.environ, "PATH": self.bin + os.pathsep + os.environ["PATH"],
               "APT_STANDIN_STATE": self.folder, "INSTALL_DEPS_RETRY_DELAY": "0", **extra}
        return {name: value for name, value in env.items() if value is not None}

    def run(self, *command, timeout=300, **extra_env):
        env = self.env(**extra_env)
        # The real package tools must never run from a test.
        for tool in ("apt-get", "dpkg", "dpkg-query", "sudo"):
            found = shutil.which(tool, path=env["PATH"])
            if os.path.dirname(found) != self.bin:
                raise RuntimeError("the stand-in %s is not first on the PATH: %s" % (tool, found))
        return subprocess.run(command, env=env, capture_output=True, text=True, timeout=timeout)

    def calls(self, tool=None, action=None):
        path = os.path.join(self.folder, "calls.jsonl")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            calls = [json.loads(line) for line in f]
        return [c for c in calls if (tool is None or c["tool"] == tool)
                and (action is None or c.get("action") == action)]

    def asked_to_install(self):
        return [p for call in self.calls("apt-get", "install") for p in call["packages"]]

    def installed(self):
        with open(os.path.join(self.folder, "state.json")) as f:
            return set(json.load(f)["installed"])


def group_packages(group):
    """The packages that install-deps.sh names for a group, read from its --check report on a
    machine where nothing is installed."""
    machine = Machine()
    try:
        result = machine.run(script("install-deps.sh"), "--check", group)
    finally:
        machine.close()
    return [line.split()[1].rstrip(":") for line in result.stderr.splitlines()
            if line.startswith("  missing ")]
