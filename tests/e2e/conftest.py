"""The end-to-end harness: the built utility run as a user runs it, natively or, for the Windows
build, under wine (TARVIX_RUNNER), capturing the test child (tests/child.cpp). Each test has a
directory of its own for the log (TEMP), for what the test viewer saw, and for copies."""
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
LIBRARY = "tarvmsg.dll" if WINDOWS else "tarvmsg.cat"
PROMPT = re.search(rb"^9 (.*)$", (SOURCE / "messages/tarvmsg.msg").read_bytes(), re.M)[1]
REPORT_LINE = next(number for number, line in
                   enumerate(open(SOURCE / "src/diagnostics/report_failure.cpp"), 1)
                   if "Error occured in" in line)
VIEWER_LINE = rb"viewer (\w+): (.*), terminal (yes|no), (\d+) descriptors"
# On Windows a viewer started without inheritance has no standard output of the utility's.
VIEWER_SAID = b"" if WINDOWS else VIEWER_LINE + b"\n"
registry = {}  # wine takes TEMP and TMP from the registry only


def native(path):  # under wine the Unix root is drive Z:
    return "Z:" + str(path).replace("/", "\\") if WINDOWS else str(path)


def echoed(data):  # as written to a redirected output, in text mode on Windows
    return data.replace(b"\n", b"\r\n") if WINDOWS else data


def child(*actions):
    return [native(CHILD), *actions]


def code(posix, windows):
    return windows if WINDOWS else posix


def pattern(size):
    return bytes((i * 131 + i // 256) % 256 for i in range(size))


def report(operation, error):
    """A failure report, as a pattern: byte for byte but for the system's text on Windows."""
    head = (f"\nFile:src/diagnostics/report_failure.cpp\nError occured in {operation} \t\t\t"
            f"on line {REPORT_LINE}\n\nError:({error})")
    text = rb"[^\n]*\n" if WINDOWS else re.escape(os.strerror(error).encode() + b"\n")
    return re.escape(echoed(head.encode())) + text + b" "


CLOSING = echoed(b"\n\n\n" + PROMPT + b"\n")
# Redirected input is no console: the mode query and both changes fail.
NOT_A_CONSOLE = b"".join(report(name, code(25, 6))
                         for name in ("GetconsoleMode", "SetConsoleMode", "SetConsoleMode"))


class Run:
    def __init__(self, code, out, err=b""):
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
        (self.root / "bin").mkdir()
        self.program = shutil.copy(TARVIX, self.root / "bin" / name)
        if library:
            shutil.copy(library, self.root / "bin" / LIBRARY)

    def start(self, args, env=None, **options):
        hidden = ("TEMP", "TMP", "TMPDIR", "RIVEZEVEVIVA", "EDITOR", "NLSPATH")
        env = {**{name: value for name, value in os.environ.items() if name not in hidden},
               "TEMP": native(self.temp), "VIEWER_SEEN": native(self.seen), **(env or {})}
        for name in ("TEMP", "TMP") if WINDOWS else ():
            value = env.pop(name, None)
            if registry.get(name, 0) != value:
                where = [r"HKCU\Environment", "/v", name, "/f"] + (["/d", value] if value else [])
                subprocess.run(RUNNER + ["reg", "add" if value else "delete", *where],
                               capture_output=True)
                registry[name] = value
        env = {name: value for name, value in env.items() if value is not None}
        return subprocess.Popen(RUNNER + [str(self.program), *args], env=env, **options)

    def run(self, args, key=b"", env=None, **options):
        process = self.start(args, env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, **options)
        out, err = process.communicate(key, timeout=120)
        return Run(process.returncode, out, err)

    def in_terminal(self, args, keys, env=None):
        """Runs the utility on a pseudo-terminal. Each key is typed once the terminal reads
        single keys without echo, or once the text given with it shows; returns the run and
        whether the terminal's settings are as before."""
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
        for key, shown in (key if isinstance(key, tuple) else (key, None) for key in keys):
            read(master, screen, (lambda s: shown in s) if shown else single_keys)
            os.write(master, key)
            if not shown:  # until the key is taken, so that the next one meets its own read
                read(master, screen, lambda s: not single_keys(s))
        read(master, screen, lambda _: False)
        restored = termios.tcgetattr(master) == settings
        os.close(master)
        return Run(process.wait(timeout=60), bytes(screen)), restored


def read(master, screen, done):
    """Reads the terminal's screen until done(screen), or until every process has closed it."""
    deadline = time.monotonic() + 60
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
