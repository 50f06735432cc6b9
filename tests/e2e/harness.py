"""End-to-end harness: puts a real launcher executable into a fresh folder under a name of the
test's choice, writes its settings file beside it, starts it as a user would, and reports the
full exit code, the output and the texts of the message boxes it showed.

POSIX: the host executable runs directly; its error notices arrive on standard error. It sees no
display (so it shows no windows) unless the test passes one, such as an XvfbDisplay's name.
Windows: launcher.exe runs under Wine inside the session that wine_session.py started (one
prefix and one Xvfb display per ctest run). The exit code is read through exit_code.exe
(the whole 32-bit value); message-box texts come from Wine's msgbox trace, and each box is
answered with Enter, as a user would close it."""

import functools
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import tomllib
from dataclasses import dataclass, field

WINE = "/usr/lib/wine/wine64"


def source_dir():
    return os.environ["LAUNCHER_SOURCE_DIR"]


def build_dir():
    return os.environ["LAUNCHER_BUILD_DIR"]


def wine_state_dir():
    return os.environ["LAUNCHER_WINE_STATE"]


def windows_build_path(*parts):
    return os.path.join(os.environ["LAUNCHER_WINDOWS_DIR"], *parts)


def windows_launcher():
    """The Windows launcher under test: launcher.exe of the build, or the executable that
    LAUNCHER_WINDOWS_EXE names (the 32-bit release build runs the same tests)."""
    return os.environ.get("LAUNCHER_WINDOWS_EXE") or windows_build_path("launcher.exe")


def native_registry_view():
    """The registry view that the launcher under test sees as its own: 32 for a 32-bit one."""
    return int(os.environ.get("LAUNCHER_NATIVE_VIEW", "64"))


def wine_display():
    path = os.path.join(wine_state_dir(), "display")
    if not os.path.exists(path):
        raise RuntimeError("no Wine session: run the tests through ctest (fixture 'wine')")
    with open(path) as f:
        return f.read().strip()


def wine_base_env(lang=None, debug="-all", extra=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = os.path.join(wine_state_dir(), "prefix")
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    env["WINEDEBUG"] = debug
    display_file = os.path.join(wine_state_dir(), "display")
    if os.path.exists(display_file):
        env["DISPLAY"] = wine_display()
    if lang:
        env["LANG"] = env["LC_ALL"] = lang
    if extra:
        env.update(extra)
    return env


def to_windows_path(path):
    """The Z: drive path under which Wine shows a Unix path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def quote_argument(argument):
    return '"%s"' % argument if (" " in argument or argument == "") else argument


_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}


def decode_wine_string(text):
    """Decodes the body of a wide string as Wine's debug traces print it (L"...")."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            if nxt in _ESCAPES:
                out.append(_ESCAPES[nxt])
                i += 2
                continue
            if re.fullmatch(r"[0-9a-fA-F]{4}", text[i + 1:i + 5]):
                out.append(chr(int(text[i + 1:i + 5], 16)))
                i += 5
                continue
        out.append(c)
        i += 1
    return "".join(out)


_MSGBOX_TRACE = re.compile(r'trace:msgbox:MSGBOX_OnInit L"(.*)"')


@dataclass
class Result:
    exit_code: int
    stdout: str = ""
    stderr: str = ""
    messages: list = field(default_factory=list)
    cancelled_dialogs: int = 0


class App:
    """An application folder with the launcher under the name `name`."""

    def __init__(self, target, name="tool", executable=None, folder=None):
        assert target in ("posix", "windows")
        self.target = target
        self.name = name
        self.folder = folder or tempfile.mkdtemp(prefix="launcher-e2e-")
        if executable is None:
            executable = (windows_launcher() if target == "windows"
                          else os.environ["LAUNCHER_POSIX"])
        suffix = ".exe" if target == "windows" else ""
        self.path = os.path.join(self.folder, name + suffix)
        shutil.copy2(executable, self.path)

    @property
    def ini_path(self):
        return os.path.join(self.folder, self.name + ".ini")

    def write_ini(self, text, encoding="utf-8", newline="\r\n"):
        """Writes the settings file beside the executable; lines end with CR LF by default."""
        data = text.replace("\r\n", "\n").replace("\n", newline)
        with open(self.ini_path, "wb") as f:
            f.write(data.encode(encoding))

    def file(self, *parts):
        return os.path.join(self.folder, *parts)

    def remove(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def run(self, args=(), command_line=None, env=None, lang=None, timeout=120, cwd=None,
            answer_boxes=True, box_classes=(), display=None):
        """box_classes: window classes of further programs (a pair product) whose message
        boxes are answered too. display: the X display a POSIX launcher may show windows on
        (none by default)."""
        if self.target == "posix":
            return run_posix([self.path] + list(args), env=env, lang=lang, timeout=timeout,
                             cwd=cwd or self.folder, display=display)
        if command_line is None:
            command_line = " ".join([quote_argument(to_windows_path(self.path))] +
                                    [quote_argument(a) for a in args])
        return run_windows(command_line, env=env, lang=lang, timeout=timeout,
                           cwd=cwd or self.folder,
                           window_class=[self.name + ".exe"] + list(box_classes),
                           answer_boxes=answer_boxes)


def posix_environment(env=None, lang=None, display=None):
    """The environment of a POSIX run: windows only on the display the test gives."""
    full_env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY"):
        full_env.pop(name, None)
    if display:
        full_env["DISPLAY"] = display
    if lang:
        full_env["LANG"] = full_env["LC_ALL"] = lang
    if env:
        full_env.update(env)
    return full_env


def posix_result(returncode, stdout, stderr):
    stderr = stderr.decode("utf-8", "replace")
    return Result(exit_code=returncode, stdout=stdout.decode("utf-8", "replace"),
                  stderr=stderr, messages=[stderr] if stderr else [])


def run_posix(argv, env=None, lang=None, timeout=120, cwd=None, display=None):
    completed = subprocess.run(argv, env=posix_environment(env, lang, display), cwd=cwd,
                               capture_output=True, timeout=timeout)
    return posix_result(completed.returncode, completed.stdout, completed.stderr)


class RunningPosix:
    """A POSIX program started in the background, for tests that act on its windows."""

    def __init__(self, argv, env=None, lang=None, cwd=None, display=None):
        self.process = subprocess.Popen(argv, env=posix_environment(env, lang, display), cwd=cwd,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def running(self):
        return self.process.poll() is None

    def finish(self, timeout=60):
        """Waits for the end (killing the program after timeout) and gives its result."""
        try:
            stdout, stderr = self.process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.communicate()
            raise
        return posix_result(self.process.returncode, stdout, stderr)


def xdotool(*args, display):
    return subprocess.run(["xdotool"] + list(args), env={**os.environ, "DISPLAY": display},
                          capture_output=True, text=True)


def close_message_boxes(window_class, display):
    """Presses Enter in every visible window of the given class (or of any class of a list);
    returns how many it saw."""
    classes = [window_class] if isinstance(window_class, str) else window_class
    found = xdotool("search", "--onlyvisible", "--classname",
                    "^(%s)$" % "|".join(re.escape(name) for name in classes), display=display)
    windows = found.stdout.split()
    for window in windows:
        xdotool("windowfocus", window, display=display)
        xdotool("key", "--clearmodifiers", "Return", display=display)
    return len(windows)


@functools.lru_cache(maxsize=None)
def missing_runtime_captions():
    """The captions of the missing-runtime dialog in every language of the resources."""
    folder = os.path.join(source_dir(), "resources", "texts")
    captions = set()
    for name in os.listdir(folder):
        if name.endswith(".toml"):
            with open(os.path.join(folder, name), "rb") as f:
                caption = tomllib.load(f).get("dialog", {}).get("201", {}).get("caption")
            if caption:
                captions.add(caption)
    return tuple(sorted(captions))


def cancel_missing_runtime_dialogs(window_class, display):
    """Presses Escape (Cancel) in every visible missing-runtime dialog of the given classes, as a
    user without a runtime to pick would; returns how many it saw."""
    classes = [window_class] if isinstance(window_class, str) else window_class
    found = xdotool("search", "--onlyvisible", "--classname",
                    "^(%s)$" % "|".join(re.escape(name) for name in classes), display=display)
    captions = missing_runtime_captions()
    windows = [window for window in found.stdout.split()
               if xdotool("getwindowname", window, display=display).stdout.strip() in captions]
    for window in windows:
        xdotool("windowfocus", window, display=display)
        xdotool("key", "--clearmodifiers", "Escape", display=display)
    return len(windows)


def run_windows(command_line, env=None, lang=None, timeout=120, cwd=None, window_class=None,
                answer_boxes=True, debug="+msgbox"):
    """Runs a Windows command line (exact text) under Wine and reads its full exit code. With
    answer_boxes, message boxes are closed with Enter and a missing-runtime dialog is cancelled;
    result.cancelled_dialogs counts the times one was seen."""
    full_env = wine_base_env(lang=lang, debug=debug, extra=env)
    full_env["CHILD_COMMAND_LINE"] = command_line
    process = subprocess.Popen([WINE, windows_build_path("tests", "tools", "exit_code.exe")],
                               env=full_env, cwd=cwd, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, start_new_session=True)
    messages = []
    stderr_lines = []
    pending_boxes = [0]

    def read_stderr():
        for raw in process.stderr:
            line = raw.decode("utf-8", "replace")
            stderr_lines.append(line)
            match = _MSGBOX_TRACE.search(line)
            if match:
                messages.append(decode_wine_string(match.group(1)))
                pending_boxes[0] += 1

    reader = threading.Thread(target=read_stderr, daemon=True)
    reader.start()
    stdout_chunks = []
    stdout_reader = threading.Thread(
        target=lambda: stdout_chunks.append(process.stdout.read()), daemon=True)
    stdout_reader.start()
    deadline = time.monotonic() + timeout
    display = full_env.get("DISPLAY")
    polls = 0
    cancelled_dialogs = 0
    while process.poll() is None:
        if time.monotonic() > deadline:
            os.killpg(process.pid, 9)
            process.wait()
            raise TimeoutError("timed out: %s\n%s" % (command_line, "".join(stderr_lines[-40:])))
        if answer_boxes and pending_boxes[0] and window_class and display:
            if close_message_boxes(window_class, display):
                pending_boxes[0] -= 1
        if answer_boxes and window_class and display and polls % 5 == 4:
            cancelled_dialogs += cancel_missing_runtime_dialogs(window_class, display)
        polls += 1
        time.sleep(0.2)
    reader.join(10)
    stdout_reader.join(10)
    process.stdout.close()
    process.stderr.close()
    stdout = (stdout_chunks[0] if stdout_chunks else b"").decode("utf-8", "replace")
    match = re.search(r"exit code: (\d+)", stdout)
    if not match:
        raise RuntimeError("no exit code from %s\n%s%s" % (command_line, stdout,
                                                           "".join(stderr_lines[-40:])))
    return Result(exit_code=int(match.group(1)), stdout=stdout[:match.start()],
                  stderr="".join(stderr_lines), messages=messages,
                  cancelled_dialogs=cancelled_dialogs)


def screenshot(path):
    """Keeps a picture of the Wine session's screen for people to look at."""
    subprocess.run(["import", "-display", wine_display(), "-window", "root", path], check=False)


def wait_until(condition, describe, timeout=60, interval=0.02):
    """Polls condition until it holds; on time-out the error carries describe()."""
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise TimeoutError(describe())
        time.sleep(interval)
