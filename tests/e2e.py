"""End to end: the built utility run as a user runs it, natively or, for a Windows build, under
wine (TARVIX_RUNNER), capturing the test child (child.cpp). Each test has a directory of its own
for the log (TEMP), for what the test viewer saw (seen) and for copies of the utility."""
import fcntl, os, re, select, shlex, shutil, signal, subprocess, termios, time
from pathlib import Path

import pytest

RUNNER = shlex.split(os.environ.get("TARVIX_RUNNER", ""))
WINDOWS = bool(RUNNER)
TARVIX, CHILD, LONG_TEXTS, SOURCE = (Path(os.environ[name]) for name in
                                     ("TARVIX", "TEST_CHILD", "LONG_TEXTS", "SOURCE_DIR"))
LIBRARY, SEPARATOR = ("tarvmsg.dll", "\\") if WINDOWS else ("tarvmsg.cat", "/")
PROMPT = re.search(rb"^9 (.*)$", (SOURCE / "messages/tarvmsg.msg").read_bytes(), re.M)[1]
REPORT_LINE = next(number for number, line in
                   enumerate(open(SOURCE / "src/diagnostics/report_failure.cpp"), 1)
                   if "Error occured in" in line)
VIEWER_LINE = rb"viewer (\w+): (.*), terminal (yes|no), (\d+) descriptors, mode (\d+)\n"
# On Windows a viewer started without inheritance has no standard output of the utility's.
VIEWER_SAID = b"" if WINDOWS else VIEWER_LINE
posix_only = pytest.mark.skipif(WINDOWS, reason="terminals, descriptors, links and signals")
registry = {}  # wine takes TEMP and TMP from the registry, never from its environment


def native(path):  # under wine the Unix root is drive Z:
    return "Z:" + str(path).replace("/", "\\") if WINDOWS else str(path)


def echoed(data):  # as written to a redirected output: in text mode on Windows
    return data.replace(b"\n", b"\r\n") if WINDOWS else data


def child(*actions):
    return [native(CHILD), *actions]


def report(operation, posix_error, windows_error):
    """A failure report, as a pattern: byte for byte but for the system's text on Windows."""
    error = windows_error if WINDOWS else posix_error
    head = (f"\nFile:src/diagnostics/report_failure.cpp\nError occured in {operation} \t\t\t"
            f"on line {REPORT_LINE}\n\nError:({error})")
    text = rb"[^\n]*\n" if WINDOWS else re.escape(os.strerror(error).encode() + b"\n")
    return re.escape(echoed(head.encode())) + text + b" "


CLOSING = echoed(b"\n\n\n" + PROMPT + b"\n")
# Redirected input is no console: the mode query and both changes fail.
NOT_A_CONSOLE = b"".join(report(name, 25, 6) for name in
                         ("GetconsoleMode", "SetConsoleMode", "SetConsoleMode"))


class Tarvix:
    def __init__(self, root):
        self.root, self.temp, self.seen, self.program = root, root / "temp", root / "seen", TARVIX
        self.temp.mkdir()
        self.seen.mkdir()

    def copy(self, name, library):
        """Runs from now on a copy of the utility, beside a copy of this message library."""
        (self.root / "bin").mkdir()
        self.program = shutil.copy(TARVIX, self.root / "bin" / name)
        if library:
            shutil.copy(library, self.root / "bin" / LIBRARY)

    def saw(self, tag):
        """What the test viewer of this tag said, and the log it saw."""
        said, _, log = (self.seen / tag).read_bytes().partition(b"\n")
        return re.fullmatch(VIEWER_LINE, said + b"\n"), log

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
        """Returns the exit code, standard output and error, with the output also split into
        the echo before the closing prompt and what follows it."""
        process = self.start(args, env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, **options)
        out, err = process.communicate(key, timeout=120)
        echo, _, after = out.rpartition(CLOSING) if CLOSING in out else (out, b"", b"")
        return process.returncode, out, err, echo, after

    def in_terminal(self, args, keys, env=None):
        """Runs the utility on a pseudo-terminal, typing each key once the terminal reads single
        keys without echo, or once the text paired with it shows. Returns the exit code, the
        screen and whether the terminal's settings are as before."""
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
        return process.wait(timeout=60), bytes(screen), restored


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


def viewer(tag):
    return f"{native(CHILD)} view:{tag}"


def pattern(size):
    return bytes((i * 131 + i // 256) % 256 for i in range(size))


CAPTURES = {  # the child's actions, and what it writes
    "merged in write order": (["out:one\\n", "err:two\\n", "out:three\\r\\n", "exit:7"],
                              b"one\ntwo\nthree\r\n"),
    "zero bytes": (["out:a\\0b\\n"], b"a\0b\n"),
    "nothing": ([], b""),
    "a grandchild holds the pipe": (["later:late\\n", "out:early\\n"], b"early\nlate\n"),
    **{f"{size} bytes, then exit": ([f"bytes:{size}"], pattern(size))
       for size in (1, 4096, 65537, 1 << 20)},
}


@pytest.mark.parametrize("actions, written", CAPTURES.values(), ids=CAPTURES.keys())
def test_output_is_echoed_and_logged_whole_and_the_log_deleted(tarvix, actions, written):
    code, _, _, echo, after = tarvix.run(child(*actions), b"v", {"RIVEZEVEVIVA": viewer("log")})
    assert code == 0, "the child's status is not the utility's"
    assert echo == echoed(written) and tarvix.saw("log")[1] == written
    assert re.fullmatch(NOT_A_CONSOLE + VIEWER_SAID, after) and not any(tarvix.temp.iterdir())


@pytest.mark.parametrize("key, variables, shown", [
    (b"v", {"RIVEZEVEVIVA": "first", "EDITOR": "second"}, "first"),
    (b"V", {"EDITOR": "editor"}, "editor"),
    (b"x", {"RIVEZEVEVIVA": "first"}, None),
    (b"", {"RIVEZEVEVIVA": "first"}, None),
])
def test_the_key_and_the_first_viewer_named(tarvix, key, variables, shown):
    env = {name: viewer(tag) for name, tag in variables.items()}
    code, _, _, _, after = tarvix.run(child("out:logged\\n"), key, env)
    assert code == 0 and re.fullmatch(NOT_A_CONSOLE + (VIEWER_SAID if shown else b""), after)
    # The viewer takes its time: the utility waits for it before deleting the log.
    seen = [(path.name, tarvix.saw(path.name)[1]) for path in tarvix.seen.iterdir()]
    assert seen == ([(shown, b"logged\n")] if shown else []) and not any(tarvix.temp.iterdir())


@pytest.mark.parametrize("variables, first", [  # those present (TEMP only where named)
    ({"TEMP": "a", "TMP": "b"}, "TEMP"), ({"TMP": "b"}, "TMP"), ({}, None),
    ({"TEMP": "a" + SEPARATOR}, "TEMP"),  # never normalised
    ({"TEMP": "a b"}, "TEMP"),  # the viewer still gets the path whole
] + ([] if WINDOWS else [  # Windows has no empty variables and no TMPDIR
    ({"TEMP": "", "TMP": "b"}, "TEMP"), ({"TMP": "b", "TMPDIR": "c"}, "TMP"),
    ({"TMPDIR": "c"}, "TMPDIR"),
]))
def test_the_log_is_in_the_directory_of_the_first_variable_present(tarvix, variables, first):
    env = {"TEMP": None, "RIVEZEVEVIVA": viewer("log")}
    for name, directory in variables.items():
        env[name] = directory and native(tarvix.root) + SEPARATOR + directory
        (tarvix.root / directory.rstrip(SEPARATOR)).mkdir(exist_ok=True)
    tarvix.run(child("out:x"), b"v", env, cwd=tarvix.root)
    # With none present: the current directory on Windows, /tmp on POSIX.
    directory = env[first] + SEPARATOR if first else "" if WINDOWS else "/tmp/"
    assert re.fullmatch(re.escape(directory) + r"Tarvix\d+\.log", tarvix.saw("log")[0][2].decode())
    assert tarvix.saw("log")[1] == b"x", "the viewer saw the log there"


def test_failures_are_reported_and_the_run_goes_on(tarvix):
    code, out, *_ = tarvix.run(["no-such-program", "a"], b"v", {"RIVEZEVEVIVA": "no-such"})
    assert code == 0 and re.fullmatch(report("CreateProcess", 2, 2) + re.escape(CLOSING) +
                                      NOT_A_CONSOLE + report("CreateProcess", 2, 2), out)
    code, out, *_ = tarvix.run(child("out:shown\\n"), env={"TEMP": native(tarvix.root / "no")})
    assert code == 0 and re.fullmatch(report("CreateFile", 2, 3) + report("WriteFile", 9, 6) +
                                      re.escape(echoed(b"shown\n") + CLOSING) + NOT_A_CONSOLE,
                                      out), "the output shows even when the log cannot be made"


def test_arguments_reach_the_child_as_the_splitting_rules_say(tarvix):
    echo = tarvix.run(child("args", "--lead", "a\\b", 'q"uo te"d', '\\"x', '\\\\"y"', '""',
                            '"in""side"', "tab\there"))[3]
    assert echo == echoed(b'--lead\na\\b\nquo ted\n"x\n\\y\n\nin"side\ntab\nhere\n')


def test_the_prompt_reaches_a_redirected_output_before_the_key_is_read(tarvix):
    process = tarvix.start(child("out:hi\\n"), stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    out = b""
    while CLOSING not in out:
        assert select.select([process.stdout], [], [], 60)[0], f"no prompt: {out}"
        out += os.read(process.stdout.fileno(), 4096) or pytest.fail(f"no prompt: {out}")
    process.communicate(b"x", timeout=60)
    assert process.returncode == 0


def test_usage_and_texts_from_the_message_library(tarvix):
    code, out, *_ = tarvix.run([])
    usage = out.split(echoed(b"\n"))[:-1]
    assert code == 1 and len(usage) == 8 and usage[1] == b"Usage: tarvix <program> [arguments...]"
    assert all(0 < len(line) <= 79 for line in usage) and not any(tarvix.temp.iterdir())
    tarvix.copy(tarvix.program.name, LONG_TEXTS)  # too long a first text, no second
    assert tarvix.run([])[1] == echoed(b"1234567890" * 7 + b"123456789\n\nthree\nfour\nfive\n"
                                       b"six\nseven\neight\n")


def test_without_its_message_library_it_starts_nothing(tarvix):
    tarvix.copy(tarvix.program.name, None)
    code, out, err, *_ = tarvix.run(child("out:started\\n"))
    assert code == 1 and out == b"" and not any(tarvix.temp.iterdir())
    # No message boxes on POSIX: a line on standard error; wine without a display shows none.
    assert err == (b"" if WINDOWS else
                   b"Tarvix error: Cannot find tarvmsg.cat. Tarvix will now terminate\n")


# wine reports the version that an AppDefaults key names for executables of that name: win95
# and win98 are the Windows 95 family (platform 1), win31 is Win32s (platform 0).
@pytest.mark.skipif(not WINDOWS, reason="the platform check, for real, under wine")
@pytest.mark.parametrize("version, runs", [("win95", True), ("win98", True), ("win31", False)])
def test_the_windows_95_and_nt_families_run_and_win32s_is_refused(tarvix, version, runs):
    name = f"tarvix-{version}.exe"
    subprocess.run(RUNNER + ["reg", "add", rf"HKCU\Software\Wine\AppDefaults\{name}", "/v",
                             "Version", "/d", version, "/f"], check=True, capture_output=True)
    tarvix.copy(name, TARVIX.parent / LIBRARY)
    code, out, *_ = tarvix.run(child("out:started\\n"))
    assert (code, out.startswith(echoed(b"started\n"))) == ((0, True) if runs else (1, False))
    assert not any(tarvix.temp.iterdir())


@posix_only
def test_the_log_is_private_and_never_held_by_the_child(tarvix):
    echo = tarvix.run(child("fds"), b"v", {"RIVEZEVEVIVA": viewer("log")})[3]
    assert b"Tarvix" not in echo and tarvix.saw("log")[0][5] == str(0o600).encode()


@posix_only
@pytest.mark.parametrize("plant", [os.symlink, os.link, lambda _, log: open(log, "w").close()],
                         ids=["symbolic link", "hard link", "stale log"])
def test_what_stands_at_the_log_path_is_never_written_through(tarvix, plant):
    victim = tarvix.root / "victim"
    victim.write_bytes(b"precious")
    tarvix.run(child("out:fresh\\n"), b"v", {"RIVEZEVEVIVA": viewer("log")},
               preexec_fn=lambda: plant(victim, tarvix.temp / f"Tarvix{os.getpid()}.log"))
    assert victim.read_bytes() == b"precious" and tarvix.saw("log")[1] == b"fresh\n"
    assert not any(tarvix.temp.iterdir())


@posix_only
@pytest.mark.parametrize("output", ["/dev/full", "closed", "a reader that goes away"])
def test_output_that_cannot_be_written_loses_nothing_from_the_log(tarvix, output):
    (tarvix.root / "key").write_bytes(b"v")
    process = tarvix.start(child("sigign", "bytes:100000"), {"RIVEZEVEVIVA": viewer("log")},
                           stdin=open(tarvix.root / "key"),
                           stdout=open(output, "wb") if output == "/dev/full" else subprocess.PIPE,
                           preexec_fn=(lambda: os.close(1)) if output == "closed" else None)
    if output == "a reader that goes away":
        process.stdout.read(10)
        process.stdout.close()
    assert process.wait(timeout=60) == 0 and not any(tarvix.temp.iterdir())
    ignored, _, written = tarvix.saw("log")[1].partition(b"\n")
    assert written == pattern(100000)
    assert not int(ignored.split()[1], 16) & 1 << signal.SIGPIPE - 1, "the child ignores SIGPIPE"


@posix_only
def test_a_closed_standard_input_is_no_key(tarvix):
    code, out, *_ = tarvix.run(child("out:hi\\n"), preexec_fn=lambda: os.close(0))
    assert code == 0 and b"ReadFile" not in out


@posix_only
def test_in_a_terminal_each_echo_shows_at_once_and_a_key_needs_no_enter(tarvix):
    for key, ending in ((b"x", 0), (b"\r", 0), (b"\x03", -signal.SIGINT)):  # an interrupt too
        code, screen, restored = tarvix.in_terminal(child("ask:name?\\s"),
                                                    [(b"bob\n", b"name? "), key])
        shown = b"name? bob\ngot bob\n" + CLOSING
        assert code == ending and screen == shown.replace(b"\n", b"\r\n"), "the key not shown"
        assert restored, "every setting of the terminal as before"
    assert len(list(tarvix.temp.iterdir())) == 1, "only the interrupted run leaves its log"


@posix_only
def test_the_default_viewer_is_vi_and_gets_the_terminal_and_nothing_else(tarvix):
    (tarvix.root / "vi").write_text(f'#!/bin/sh\nexec "{CHILD}" view:vi "$@"\n')
    (tarvix.root / "vi").chmod(0o755)
    _, screen, restored = tarvix.in_terminal(child("out:logged\\n"), [b"v"],
                                             {"PATH": f"{tarvix.root}:{os.environ['PATH']}"})
    said, log = tarvix.saw("vi")
    assert log == b"logged\n" and said.group(3, 4) == (b"yes", b"3") and restored


@posix_only
def test_the_debian_package_installs_a_utility_that_finds_its_catalog_anywhere(tmp_path):
    subprocess.run(["cpack", "-G", "DEB", "--config", TARVIX.parent / "CPackConfig.cmake", "-B",
                    tmp_path], check=True, capture_output=True)
    subprocess.run(["dpkg-deb", "-x", *tmp_path.glob("tarvix_*.deb"), tmp_path], check=True)
    env = {name: value for name, value in os.environ.items() if name != "NLSPATH"}
    run = subprocess.run([tmp_path / "usr/bin/tarvix"], cwd="/", env=env, capture_output=True)
    assert run.returncode == 1 and b"\nUsage: tarvix <program>" in run.stdout
    for path in ("share/man/man1/tarvix.1.gz", "share/doc/tarvix/copyright"):
        assert (tmp_path / "usr" / path).is_file()
