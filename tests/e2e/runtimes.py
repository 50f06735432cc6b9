"""Fake Java runtimes for the runtime-search tests: folders whose files exist for real but whose
VM libraries are not loadable, so the launcher's load failure names the library it chose.
Windows runtimes are registered in Wine's registry with `reg add` (both views); POSIX runtimes
carry a `release` file and are found through the inventory folders."""

import json
import os
import re
import shutil
import subprocess
import tempfile
import time

from harness import WINE, native_registry_view, to_windows_path, wine_base_env

NOT_A_LIBRARY = b"not a loadable library\n"
REGISTRY_TOP_KEYS = ("HKLM\\Software\\JavaSoft", "HKLM\\Software\\JRockit", "HKLM\\Software\\IBM")
ROOTS = {
    "javasoft_jdk": "HKLM\\Software\\JavaSoft\\Java Development Kit",
    "javasoft_jre": "HKLM\\Software\\JavaSoft\\Java Runtime Environment",
    "jrockit_jre": "HKLM\\Software\\JRockit\\Java Runtime Environment",
    "jrockit_jdk": "HKLM\\Software\\JRockit\\Java Development Kit",
    "ibm_jre": "HKLM\\Software\\IBM\\Java2 Runtime Environment",
}
_LOAD_FAILED = re.compile(r"Failed to load Java VM library: (.*) \(errno = -?\d+\)")


def write_file(path, data=NOT_A_LIBRARY):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def _make_home(folder, flavours, library, libraries, marker, vm_library):
    write_file(os.path.join(folder, libraries, marker))
    for flavour in flavours:
        path = os.path.join(folder, libraries, flavour, vm_library)
        if library:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            shutil.copyfile(library, path)
        else:
            write_file(path)
    return folder


def make_windows_home(folder, flavours, library=None):
    """A Java home: bin\\java.dll and bin\\<flavour>\\jvm.dll for each flavour."""
    return _make_home(folder, flavours, library, "bin", "java.dll", "jvm.dll")


def make_posix_home(folder, flavours, library=None):
    """A Java home: lib/libjava.so and lib/<flavour>/libjvm.so for each flavour."""
    return _make_home(folder, flavours, library, "lib", "libjava.so", "libjvm.so")


def make_posix_runtime(inventory, name, version, flavours, jdk=False, implementor="Debian",
                       arch="x86_64", library=None):
    """A runtime folder below an inventory folder, with its release file."""
    folder = make_posix_home(os.path.join(inventory, name), flavours, library)
    lines = []
    if version is not None:
        lines.append('JAVA_VERSION="%s"' % version)
    lines += ['IMPLEMENTOR="%s"' % implementor, 'OS_ARCH="%s"' % arch]
    write_file(os.path.join(folder, "release"), ("\n".join(lines) + "\n").encode())
    if jdk:
        write_file(os.path.join(folder, "bin", "javac"))
    return folder


def chosen_library(result):
    """The VM library named by the launcher's load-failure message, or None."""
    for message in result.messages:
        match = _LOAD_FAILED.search(message)
        if match:
            return match.group(1)
    return None


class WineRegistry:
    """Registers runtime records in Wine's registry; `clear` removes every root it may touch."""

    def __init__(self):
        self.lines = []

    def add(self, root, subkey, java_home, view=None):
        """Queues a record; java_home None leaves the subkey without a "JavaHome" value. The
        view defaults to the launcher's own."""
        view = view or native_registry_view()
        key = "%s\\%s" % (ROOTS[root], subkey)
        if java_home is None:
            self.lines.append('reg add "%s" /f /reg:%d' % (key, view))
        else:
            home = to_windows_path(java_home) if java_home else ""
            self.lines.append('reg add "%s" /v JavaHome /d "%s" /f /reg:%d' % (key, home, view))

    def commit(self):
        self._run_batch(self.lines, check=True)
        self.lines = []

    def clear(self):
        # A root that does not exist makes its delete fail; that is the state wanted.
        self._run_batch(['reg delete "%s" /f /reg:%d >nul 2>nul' % (key, view)
                         for key in REGISTRY_TOP_KEYS for view in (32, 64)], check=False)

    @staticmethod
    def _run_batch(lines, check):
        if not lines:
            return
        with tempfile.NamedTemporaryFile("w", suffix=".bat", delete=False) as batch:
            batch.write("@echo off\r\n" + "\r\n".join(lines) + "\r\n")
        try:
            subprocess.run([WINE, "cmd", "/c", to_windows_path(batch.name)], env=wine_base_env(),
                           check=check, timeout=120, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        finally:
            os.remove(batch.name)


def wait_for_record(path, timeout=30):
    """The pair recorder's record once it exists (the launcher may not wait for it)."""
    deadline = time.monotonic() + timeout
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            return None
        time.sleep(0.1)
    with open(path, encoding="utf-8") as f:
        return json.load(f)
