"""End to end: the built utility run as a user runs it, natively or under wine (TARVIX_RUNNER),
capturing the test child (child.cpp), with a directory of its own for the log (TEMP)."""
import errno, fcntl, os, re, resource, select, shlex, shutil, signal, subprocess, termios, time, tty
from dataclasses import dataclass, field
from pathlib import Path

import pytest

RUNNER = shlex.split(os.environ.get("TARVIX_RUNNER", ""))
WINDOWS = bool(RUNNER)
TARVIX, CHILD, LONG_TEXTS, SOURCE = (Path(os.environ[name]) for name in
                                     ("TARVIX", "TEST_CHILD", "LONG_TEXTS", "SOURCE_DIR"))
LIBRARY, SEPARATOR = ("tarvmsg.dll", "\\") if WINDOWS else ("tarvmsg.cat", "/")
PROMPT = re.search(rb"^9 (.*)$", (SOURCE / "messages/tarvmsg.msg").read_bytes(), re.M)[1]
VIEWER_LINE = rb"viewer (\w+): (.*), terminal (yes|no), (\d+) descriptors, mode (\d+)\n"
DEADLINE = 60  # seconds for one case, under wine too
KEYS = object()  # a step's moment: when keys are read singly, without echo
posix_only = pytest.mark.skipif(WINDOWS, reason="terminals, descriptors, links and signals")
windows_only = pytest.mark.skipif(not WINDOWS, reason="consoles and code pages, under wine")


def native(path):  # under wine the Unix root is drive Z:
    return "Z:" + str(path).replace("/", "\\") if WINDOWS else str(path)


def echoed(data):  # as written to a redirected output: in text mode on Windows
    return data.replace(b"\n", b"\r\n") if WINDOWS else data


def child(*actions):
    return [native(CHILD), *actions]


def viewer(tag):  # slow to look, so that a utility that does not wait has deleted the log by then
    return f"{native(CHILD)} sleep:200 view:{tag}"


def pattern(size):
    return bytes((i * 131 + i // 256) % 256 for i in range(size))


def report(operation, error):
    """A failure report, as a pattern: all but its line number and Windows' system text."""
    head = re.escape(echoed(f"\nFile:src/diagnostics/report_failure.cpp\nError occured in "
                            f"{operation} \t\t\ton line ".encode()))
    text = rb"[^\n]*\n" if WINDOWS else re.escape(os.strerror(error).encode() + b"\n")
    return head + rb"\d+" + re.escape(echoed(f"\n\nError:({error})".encode())) + text + b" "


CLOSING = echoed(b"\n\n\n" + PROMPT + b"\n")
# Redirected input is no console: the mode query and both changes fail.
NOT_A_CONSOLE = b"".join(report(name, 6 if WINDOWS else 25) for name in
                         ("GetconsoleMode", "SetConsoleMode", "SetConsoleMode"))


class Tarvix:
    def __init__(self, root):
        # wine takes TEMP from the registry, where scripts/with-wine names one for every run.
        self.temp = TARVIX.parent / "temp" if WINDOWS else root / "temp"
        self.root, self.seen, self.program, self.sessions = root, root / "seen", TARVIX, []
        shutil.rmtree(self.temp, ignore_errors=True)
        self.temp.mkdir()
        self.seen.mkdir()

    def logs(self):
        return list(self.temp.iterdir())

    def copy(self, name, library):  # from now on, run a copy beside a copy of this library
        (self.root / "bin").mkdir()
        self.program = shutil.copy(TARVIX, self.root / "bin" / name)
        shutil.copy(library, self.root / "bin" / LIBRARY)

    def saw(self, tag):  # what the test viewer of this tag said, and the log it saw
        said, _, log = (self.seen / tag).read_bytes().partition(b"\n")
        return re.fullmatch(VIEWER_LINE, said + b"\n"), log

    def start(self, args, env=None, program=None, **options):
        """Starts the utility (or another program) in a session of its own, ended with the case."""
        hidden = ("TEMP", "TMP", "TMPDIR", "RIVEZEVEVIVA", "EDITOR", "NLSPATH")
        env = {**{name: value for name, value in os.environ.items() if name not in hidden},
               "TEMP": native(self.temp), "VIEWER_SEEN": native(self.seen), **(env or {})}
        process = subprocess.Popen(program or RUNNER + [str(self.program), *args],
                                   env={name: value for name, value in env.items()
                                        if value is not None},
                                   start_new_session=True, **options)
        self.sessions.append(process)
        return process

    def end(self):  # every process of every session started, job control's groups included
        leaders = {process.pid for process in self.sessions}
        for stat in Path("/proc").glob("[0-9]*/stat"):
            try:
                if int(stat.read_text().rpartition(")")[2].split()[3]) in leaders:
                    os.kill(int(stat.parent.name), signal.SIGKILL)
            except (OSError, ValueError):  # gone already
                pass
        for process in self.sessions:
            process.wait()

    def run(self, args, key=b"", env=None, **options):  # code, out, err, echo and what follows
        process = self.start(args, env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, **options)
        # The key only once the prompt is here: it must be flushed to a redirected output too.
        out = read(process.stdout.fileno(), bytearray(), lambda out: PROMPT in out)
        rest, err = process.communicate(key)
        out = bytes(out + rest)
        echo, _, after = out.rpartition(CLOSING) if CLOSING in out else (out, b"", b"")
        return process.returncode, out, err, echo, after

    def in_terminal(self, args, steps, env=None, program=None, preexec=lambda: None):
        """On a pseudo-terminal whose session it leads: for each step, waits until its text has
        shown (or KEYS, or a test of the screen), then types its bytes; then waits for the end.
        Gives the code, the screen, whether the terminal's settings came back and what was typed
        but is left unread."""
        master, terminal = os.openpty()
        settings = termios.tcgetattr(terminal)
        # Unlike a fresh terminal's, so that a restore that merely resets them shows.
        settings[6][termios.VMIN], settings[6][termios.VTIME] = 0, 7
        termios.tcsetattr(terminal, termios.TCSANOW, settings)
        settings = termios.tcgetattr(terminal)
        process = self.start(args, env, program, stdin=terminal, stdout=terminal, stderr=terminal,
                             preexec_fn=lambda: [preexec(), fcntl.ioctl(0, termios.TIOCSCTTY, 0)])
        screen = bytearray()
        for until, typed in steps:
            if until is KEYS:
                until = lambda _: not termios.tcgetattr(master)[3] & (termios.ICANON | termios.ECHO)
            elif not callable(until):
                until = (lambda text: lambda screen: text in screen)(until)
            read(master, screen, lambda screen: until(screen) or process.poll() is not None)
            os.write(master, typed)
        read(master, screen, lambda _: process.poll() is not None)
        read(master, screen, lambda _: not select.select([master], [], [], 0.1)[0])
        restored = termios.tcgetattr(master) == settings
        tty.setraw(terminal, termios.TCSANOW)  # not TCSAFLUSH: what is left is to be seen
        left = os.read(terminal, 100) if select.select([terminal], [], [], 0)[0] else b""
        os.close(master)
        os.close(terminal)
        return process.returncode, bytes(screen), restored, left


def read(source, data, done):
    """Reads until done(data), or until every writer has closed the source."""
    while not done(data):
        if select.select([source], [], [], 0.01)[0]:
            try:
                chunk = os.read(source, 4096)
            except OSError:  # EIO: the terminal is closed
                chunk = b""
            if not chunk:
                break
            data += chunk
    return data


@pytest.fixture(autouse=True)
def deadline(request):
    """Ends a case that runs too long, naming it."""
    def expire(*_):
        raise TimeoutError(f"{request.node.name} still runs after {DEADLINE} s")
    signal.signal(signal.SIGALRM, expire)
    signal.alarm(DEADLINE)
    yield
    signal.alarm(0)


@pytest.fixture
def tarvix(tmp_path):
    tarvix = Tarvix(tmp_path)
    yield tarvix
    tarvix.end()


@dataclass
class Run:
    actions: list  # the child's
    written: bytes  # what the child writes, all of which must be echoed and logged
    key: bytes = b"v"
    viewers: dict = field(default_factory=lambda: {"RIVEZEVEVIVA": "log"})  # variable: tag
    shown: str = "log"  # the tag of the viewer that shows the log, if one does


ARGS = ["--lead", "a\\b", 'q"uo te"d', '\\"x', '\\\\"y"', '""', '"in""side"', "tab\there"]
RUNS = {
    "merged in write order": Run(["out:1\\n", "err:2\\n", "out:3\\r\\n"], b"1\n2\n3\r\n"),
    "zero bytes": Run(["out:a\\0b\\n"], b"a\0b\n"),
    "nothing": Run([], b""),
    "a grandchild holds the pipe": Run(["later:late\\n", "out:early\\n"], b"early\ngot late\n"),
    "65537 bytes, then exit": Run(["bytes:65537"], pattern(65537)),
    "1 MiB, then exit": Run(["bytes:1048576"], pattern(1 << 20)),
    "arguments split as the rules say": Run(["args", *ARGS], b'--lead\na\\b\nquo ted\n"x\n\\y\n'
                                                             b'\nin"side\ntab\nhere\n'),
    "RIVEZEVEVIVA before EDITOR": Run(["out:x"], b"x", viewers={"RIVEZEVEVIVA": "log",
                                                                "EDITOR": "second"}),
    "EDITOR, and V": Run(["out:x"], b"x", b"V", {"EDITOR": "log"}),
    "another key": Run(["out:x"], b"x", b"x", shown=None),
    "no key": Run(["out:x"], b"x", b"", shown=None),
}


@pytest.mark.parametrize("run", RUNS.values(), ids=RUNS.keys())
def test_output_is_echoed_and_logged_whole_the_viewer_shows_it_and_it_is_deleted(tarvix, run):
    env = {name: viewer(tag) for name, tag in run.viewers.items()}
    code, _, _, echo, after = tarvix.run(child(*run.actions), run.key, env)
    assert code == 0, "the child's status is not the utility's"
    assert echo == echoed(run.written), "the echo"
    seen = {path.name: tarvix.saw(path.name)[1] for path in tarvix.seen.iterdir()}
    assert seen == ({run.shown: run.written} if run.shown else {}), "the viewers and what they saw"
    assert not tarvix.logs(), "the log deleted, after the viewer"
    if run.shown:  # in TEMP, joined with the platform's separator; private on POSIX
        said = tarvix.saw(run.shown)[0]
        assert re.fullmatch(re.escape(native(tarvix.temp) + SEPARATOR) + r"Tarvix\d+\.log",
                            said[2].decode()) and (WINDOWS or said[5] == b"%d" % 0o600)
        assert after.endswith(said[0]), "what the viewer writes reaches our output"


@posix_only  # and wine takes TEMP and TMP from the registry
@pytest.mark.parametrize("variables, first", [  # those present (TEMP only where named)
    ({"TEMP": "a", "TMP": "b"}, "TEMP"), ({"TMP": "b", "TMPDIR": "c"}, "TMP"), ({}, None),
    ({"TEMP": "", "TMP": "b"}, "TEMP"), ({"TMPDIR": "c"}, "TMPDIR"),
    ({"TEMP": "a/"}, "TEMP"), ({"TEMP": "a b"}, "TEMP"),  # never normalised; whole to the viewer
])
def test_the_log_is_in_the_directory_of_the_first_variable_present(tarvix, variables, first):
    env = {"TEMP": None, "RIVEZEVEVIVA": viewer("log")}
    for name, directory in variables.items():
        env[name] = directory and f"{tarvix.root}/{directory}"
        (tarvix.root / directory).mkdir(exist_ok=True)
    tarvix.run(child("out:x"), b"v", env)
    said, log = tarvix.saw("log")
    directory = env[first] + "/" if first else "/tmp/"  # with none present: /tmp
    assert re.fullmatch(re.escape(directory) + r"Tarvix\d+\.log", said[2].decode()) and log == b"x"


def test_failures_are_reported_and_the_run_goes_on_and_a_log_that_fails_is_reported_once(tarvix):
    code, out, *_ = tarvix.run(["no-such-program", "a"], b"v", {"RIVEZEVEVIVA": "no-such"})
    assert code == 0 and re.fullmatch(report("CreateProcess", 2) + re.escape(CLOSING) +
                                      NOT_A_CONSOLE + report("CreateProcess", 2), out)
    if WINDOWS:  # wine takes TEMP from the registry
        return
    out = tarvix.run(child("bytes:1000"), env={"TEMP": str(tarvix.root / "no")})[1]
    assert re.match(report("CreateFile", 2) + re.escape(pattern(1000) + CLOSING), out)

    def small_files():  # a log that fills up after 100 bytes
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (100, 100))
    out = tarvix.run(child("bytes:1000"), preexec_fn=small_files)[1]
    assert re.match(re.escape(pattern(64)) + report("WriteFile", errno.EFBIG) +
                    re.escape(pattern(1000)[64:] + CLOSING), out)


def test_usage_and_texts_from_the_message_library_without_which_nothing_starts(tarvix):
    code, out, *_ = tarvix.run([])
    usage = out.split(echoed(b"\n"))[:-1]
    assert code == 1 and len(usage) == 8 and usage[1] == b"Usage: tarvix <program> [arguments...]"
    assert all(0 < len(line) <= 79 for line in usage) and not tarvix.logs()
    tarvix.copy(tarvix.program.name, LONG_TEXTS)  # too long a first text, no second
    assert tarvix.run([])[1] == echoed(b"1234567890" * 7 + b"123456789\n\nthree" + b"\n" * 6)
    # Only the library beside the utility is ever taken: not one where it runs, nor one on PATH.
    (tarvix.root / "bin" / LIBRARY).rename(tarvix.root / LIBRARY)
    code, out, err, *_ = tarvix.run(child("out:started\\n"), cwd=tarvix.root,
                                    env={"PATH": f"{tarvix.root}{os.pathsep}{os.environ['PATH']}"})
    assert code == 1 and out == b"" and not tarvix.logs()
    # No message boxes on POSIX: a line on standard error; wine without a display shows none.
    assert err == (b"" if WINDOWS else
                   b"Tarvix error: Cannot find tarvmsg.cat. Tarvix will now terminate\n")


# wine reports the version an AppDefaults key names: win95 and win98 are platform 1, win31 is 0.
@windows_only
@pytest.mark.parametrize("version, runs", [("win95", True), ("win98", True), ("win31", False)])
def test_the_windows_95_and_nt_families_run_and_win32s_is_refused(tarvix, version, runs):
    name = f"tarvix-{version}.exe"
    subprocess.run(RUNNER + ["reg", "add", rf"HKCU\Software\Wine\AppDefaults\{name}", "/v",
                             "Version", "/d", version, "/f"], check=True, capture_output=True)
    tarvix.copy(name, TARVIX.parent / LIBRARY)
    code, out, *_ = tarvix.run(child("out:started\\n"))
    assert (code, out.startswith(echoed(b"started\n"))) == ((0, True) if runs else (1, False))
    assert not tarvix.logs()


@posix_only
@pytest.mark.parametrize("plant", [os.symlink, os.link, lambda _, log: open(log, "w").close()],
                         ids=["symbolic link", "hard link", "stale log"])
def test_the_log_is_never_written_through_what_stands_at_its_path_and_the_child_holds_0_to_2(
        tarvix, plant):
    (tarvix.root / "victim").write_bytes(b"precious")
    echo = tarvix.run(child("fds", "out:fresh\\n"), b"v", {"RIVEZEVEVIVA": viewer("log")},
                      preexec_fn=lambda: plant(tarvix.root / "victim",
                                               tarvix.temp / f"Tarvix{os.getpid()}.log"))[3]
    assert (tarvix.root / "victim").read_bytes() == b"precious" and b"Tarvix" not in echo
    assert tarvix.saw("log")[1] == echo and not tarvix.logs()
    held = echo.split(b"\n")[:-2]  # the input it shares, and the pipe as output and error
    assert len(held) == 3 and held[0] != held[1] == held[2], "nothing of the pipe besides"


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
    assert process.wait() == 0 and not tarvix.logs()
    ignored, _, written = tarvix.saw("log")[1].partition(b"\n")
    assert written == pattern(100000)
    assert not int(ignored.split()[1], 16) & 1 << signal.SIGPIPE - 1, "the child ignores SIGPIPE"


@posix_only
def test_in_a_terminal_echoes_show_at_once_one_whole_key_needs_no_enter_and_vi_gets_the_terminal(
        tarvix):
    (tarvix.root / "vi").write_text(f'#!/bin/sh\nexec "{CHILD}" view:vi "$@"\n')
    (tarvix.root / "vi").chmod(0o755)
    env = {"PATH": f"{tarvix.root}:{os.environ['PATH']}"}  # no viewer named: vi, this one
    keys = {b"x": 0, b"\r": 0, b"\x1b[A": 0, b"\x1b[15~": 0, "é".encode(): 0,
            b"\x03": -signal.SIGINT, b"v": 0}
    for key, ending in keys.items():
        code, screen, restored, left = tarvix.in_terminal(
            child("ask:name?\\s"), [(b"name? ", b"bob\n"), (KEYS, key)], env)
        shown = (b"name? bob\ngot bob\n" + CLOSING).replace(b"\n", b"\r\n")
        assert code == ending and screen.startswith(shown), f"{key}: the key not shown"
        assert restored and left == b"", f"{key}: every setting back, nothing of the key left"
    assert len(tarvix.logs()) == 1, "only the interrupted run leaves its log"
    said, log = tarvix.saw("vi")  # with the terminal as its standard handles, and nothing else
    assert log == b"name? got bob\n" and said.group(3, 4) == (b"yes", b"3")
    # Enter, typed while the program still runs, does not answer the prompt.
    tarvix.in_terminal(child("out:busy", "sleep:500"), [(b"busy", b"\r"), (KEYS, b"v")], env)
    assert tarvix.saw("vi")[1] == b"busy"


@posix_only
def test_an_interrupt_ignored_at_start_stays_ignored_and_one_in_the_viewer_is_the_viewers(
        tarvix):
    ignoring = lambda: signal.signal(signal.SIGINT, signal.SIG_IGN)
    code, screen, *_ = tarvix.in_terminal(child("sigign"), [(KEYS, b"\x03"), (KEYS, b"x")],
                                          preexec=ignoring)
    assert code == 0 and int(screen.split()[1], 16) & 1 << signal.SIGINT - 1, "the child's too"
    env = {"RIVEZEVEVIVA": f"{CHILD} out:viewing ask:"}  # dies of the interrupt
    code = tarvix.in_terminal(child("out:x"), [(KEYS, b"v"), (b"viewing", b"\x03")], env)[0]
    assert code == 0 and not tarvix.logs(), "waited for the viewer, log deleted"


@posix_only
def test_stopped_at_the_prompt_and_continued_it_asks_again_and_one_key_answers(tarvix):
    shell = ["bash", "--norc", "--noprofile", "--noediting", "-i"]
    shown = lambda text, times: lambda screen: screen.count(text) >= times
    steps = [(b"$ ", f"{TARVIX} {CHILD} out:x\n".encode()), (KEYS, b"\x1a"),
             (b"Stopped", b"fg\n"), (shown(PROMPT, 2), b""), (KEYS, b"x"),
             (shown(b"$ ", 3), b"echo status:$?\n"), (shown(b"status:", 2), b"exit\n")]
    code, screen, _, left = tarvix.in_terminal([], steps, {"PS1": "$ "}, program=shell)
    assert b"status:0" in screen and left == b""


@windows_only
def test_any_character_reaches_the_child_the_log_and_the_viewer(tarvix):
    words = ["café", "日本語", "Ωmega"]
    folder = tarvix.temp / "临时"  # as Windows names a profile's folder in Chinese
    folder.mkdir()
    set_temp = lambda path: subprocess.run(RUNNER + ["reg", "add", r"HKCU\Environment", "/v",
                                                     "TEMP", "/d", native(path), "/f"])
    set_temp(folder)
    try:
        echo = tarvix.run(child("args", *words), b"v", {"RIVEZEVEVIVA": viewer("log")})[3]
    finally:
        set_temp(tarvix.temp)
    written = "".join(word + "\n" for word in words).encode()
    said, log = tarvix.saw("log")
    assert echo == echoed(written) and log == written and not any(folder.iterdir())
    assert said[2].decode().startswith(native(folder))


@windows_only  # on POSIX the child's descriptors are listed above
def test_a_child_learns_that_nobody_reads_once_the_utility_is_gone(tarvix):
    process = tarvix.start(child("out:started", "bytes:1000000", "view:done"),
                           stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    read(process.stdout.fileno(), bytearray(), lambda out: b"started" in out)
    process.kill()
    while not (tarvix.seen / "done").exists():  # the write fails at once, or blocks for ever
        time.sleep(0.01)


@windows_only
@pytest.mark.parametrize("steps, shown, log_left", [
    ("k!", None, True),  # an interrupt at the prompt: the input's mode is put back first
    ("\rkuv", b"x", False),  # Enter before the prompt and Up at it answer nothing
    ("kvlk!", None, False),  # an interrupt while the viewer runs: it is the viewer's
], ids=["interrupt at the prompt", "keys before and at the prompt", "interrupt in the viewer"])
def test_in_a_console_only_a_key_typed_after_the_prompt_answers_and_interrupts_leave_it_sound(
        tarvix, steps, shown, log_left):
    driver = [*RUNNER, native(os.environ["CONSOLE_DRIVER"]), steps, native(TARVIX)]
    env = {"RIVEZEVEVIVA": f"{native(CHILD)} keys sleep:3000 view:log" if "l" in steps else
           viewer("log")}
    driver += child("out:x", "sleep:1000")
    screen = tarvix.in_terminal([], [(b" left", b"")], env, driver)[1]
    before, after, left = re.search(rb"mode (\d+) (\d+), (\d+) left", screen).groups()
    assert ("l" in steps or before == after) and left == b"0"
    assert (tarvix.saw("log")[1] if shown else None) == shown
    assert len(tarvix.logs()) == log_left
