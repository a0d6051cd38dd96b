"""The end-to-end harness: the built utility run as a user runs it, natively or, for the Windows
build, under wine (TARVIX_RUNNER), capturing the test child (tests/child.cpp). Every test has a
directory of its own: the log's directory TEMP, where the test viewer puts what it saw, and
copies of the utility."""
import fcntl
import os
import re
import select
import shlex
import shutil
import subprocess
import termios
import time
from pathlib import Path

import pytest

RUNNER = shlex.split(os.environ.get("TARVIX_RUNNER", ""))
WINDOWS = bool(RUNNER)
TARVIX, CHILD, LONG_TEXTS, SOURCE = (Path(os.environ[name]) for name in
                                     ("TARVIX", "TEST_CHILD", "LONG_TEXTS", "SOURCE_DIR"))
LIBRARY = TARVIX.parent / ("tarvmsg.dll" if WINDOWS else "tarvmsg.cat")
PROMPT = re.search(rb"^9 (.*)$", (SOURCE / "messages/tarvmsg.msg").read_bytes(), re.M)[1]
REPORT_LINE = next(number for number, line in
                   enumerate(open(SOURCE / "src/diagnostics/report_failure.cpp"), 1)
                   if "Error occured in" in line)
VIEWER_LINE = rb"viewer (\w+): (.*), terminal (yes|no), (\d+) descriptors"
# A viewer started without inheritance has, on Windows, no standard output of the utility's.
VIEWER_SAID = b"" if WINDOWS else VIEWER_LINE + b"\n"
# wine takes TEMP and TMP from the registry, never from its own environment.
REGISTRY_ENVIRONMENT = r"HKCU\Environment"
registry = {}


def native(path):
    """A path as the utility sees it: under wine the Unix root is drive Z:."""
    return "Z:" + str(path).replace("/", "\\") if WINDOWS else str(path)


def echoed(data):
    """Bytes as the utility writes them to a redirected output: in text mode on Windows."""
    return data.replace(b"\n", b"\r\n") if WINDOWS else data


def child(*actions):
    """The arguments that make the utility run the test child with these actions."""
    return [native(CHILD), *actions]


def code(posix, windows):
    return windows if WINDOWS else posix


def pattern(size):
    return bytes((i * 131 + i // 256) % 256 for i in range(size))


def report(operation, error):
    """A failure report, byte for byte but for the system's text on Windows."""
    head = (f"\nFile:src/diagnostics/report_failure.cpp\nError occured in {operation} \t\t\t"
            f"on line {REPORT_LINE}\n\nError:({error})")
    text = rb"[^\n]*\n" if WINDOWS else re.escape(os.strerror(error).encode() + b"\n")
    return re.escape(echoed(head.encode())) + text + b" "


CLOSING = echoed(b"\n\n\n" + PROMPT + b"\n")
# Redirected input is no console: the mode query and both changes fail.
NOT_A_CONSOLE = b"".join(report(operation, code(25, 6)) for operation in
                         ("GetconsoleMode", "SetConsoleMode", "SetConsoleMode"))


class Run:
    def __init__(self, code, out, err):
        self.code, self.out, self.err = code, out, err
        self.echo, _, self.after = out.rpartition(CLOSING) if CLOSING in out else (out, b"", b"")


class Tarvix:
    def __init__(self, root):
        self.root, self.temp, self.seen = root, root / "temp", root / "seen"
        self.temp.mkdir()
        self.seen.mkdir()
        self.program = TARVIX

    def viewer(self, tag):
        return f"{native(CHILD)} view:{tag}"

    def copy(self, name, library):
        """Runs from now on a copy of the utility, beside a copy of this message library."""
        (self.root / "bin").mkdir(exist_ok=True)
        self.program = shutil.copy(TARVIX, self.root / "bin" / name)
        if library:
            shutil.copy(library, self.root / "bin" / LIBRARY.name)

    def environment(self, changes):
        variables = ("TEMP", "TMP", "TMPDIR", "RIVEZEVEVIVA", "EDITOR", "NLSPATH")
        env = {name: value for name, value in os.environ.items() if name not in variables}
        env.update({"TEMP": native(self.temp), "VIEWER_SEEN": native(self.seen), **changes})
        if WINDOWS:
            for name in ("TEMP", "TMP"):
                value = env.pop(name, None)
                if registry.get(name) != value:
                    verb = ["add", REGISTRY_ENVIRONMENT, "/v", name, "/d", value, "/f"] if value \
                        is not None else ["delete", REGISTRY_ENVIRONMENT, "/v", name, "/f"]
                    subprocess.run(RUNNER + ["reg", *verb], capture_output=True)
                    registry[name] = value
        return {name: value for name, value in env.items() if value is not None}

    def start(self, args, env=None, **options):
        return subprocess.Popen(RUNNER + [str(self.program), *args], env=self.environment(env or {}),
                                **options)

    def run(self, args, key=b"", env=None, stdout=subprocess.PIPE, **options):
        process = self.start(args, env, stdin=subprocess.PIPE, stdout=stdout,
                             stderr=subprocess.PIPE, **options)
        out, err = process.communicate(key, timeout=120)
        return Run(process.returncode, out or b"", err)

    def in_terminal(self, args, keys, env=None):
        """Runs the utility on a pseudo-terminal, typing each key once the terminal reads single
        keys without echo, or once the text given with it shows (or a test of the screen holds)."""
        master, terminal = os.openpty()
        settings = termios.tcgetattr(terminal)
        # Unlike a fresh terminal's, so that a restore that merely resets them shows.
        settings[6][termios.VMIN], settings[6][termios.VTIME] = 0, 7
        termios.tcsetattr(terminal, termios.TCSANOW, settings)
        settings = termios.tcgetattr(terminal)
        process = self.start(args, env, stdin=terminal, stdout=terminal, stderr=terminal,
                             start_new_session=True,
                             preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        os.close(terminal)
        single_keys = lambda _: not termios.tcgetattr(master)[3] & (termios.ICANON | termios.ECHO)
        screen = bytearray()
        for key in keys:  # a key, or a key and the text it waits for
            key, shown = key if isinstance(key, tuple) else (key, None)
            ready = shown if callable(shown) else (lambda s: shown in s) if shown else single_keys
            read_until(master, screen, ready)
            os.write(master, key)
            if not shown:  # until the key is taken, so that the next one meets its own read
                read_until(master, screen, lambda s: not single_keys(s))
        read_until(master, screen, lambda _: False)
        process.wait(timeout=60)
        restored = termios.tcgetattr(master) == settings
        os.close(master)
        return Run(process.returncode, bytes(screen), b""), restored


def read_until(master, screen, done, patience=60):
    """Reads the terminal's screen until done(screen) or until every process has closed it."""
    deadline = time.monotonic() + patience
    while not done(screen):
        assert time.monotonic() < deadline, f"the utility hangs; the screen: {bytes(screen)}"
        if select.select([master], [], [], 0.01)[0]:
            try:
                screen += os.read(master, 4096)
            except OSError:  # EIO: the terminal is closed
                return


@pytest.fixture
def tarvix(tmp_path):
    return Tarvix(tmp_path)
