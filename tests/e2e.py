"""End to end: the built utility run as a user runs it, natively or under wine (TARVIX_RUNNER),
capturing the test child (child.cpp), with a directory of its own for the log (TEMP)."""
import errno, fcntl, os, re, resource, select, shlex, shutil, signal, subprocess, sys, termios, time
import tty
from collections import namedtuple
from pathlib import Path

import pytest

WINDOWS = bool(RUNNER := shlex.split(os.environ.get("TARVIX_RUNNER", "")))
TARVIX, CHILD, LONG_TEXTS, SOURCE = (Path(os.environ[name]) for name in
                                     ("TARVIX", "TEST_CHILD", "LONG_TEXTS", "SOURCE_DIR"))
MUSL, SANITIZED = os.environ.get("TARVIX_LIBC") == "musl", os.environ.get("TARVIX_SANITIZED") == "1"
LIBRARY, SEPARATOR = ("tarvmsg.dll", "\\") if WINDOWS else ("tarvmsg.cat", "/")
SAID = rb"viewer (\w+): (.*), terminal (yes|no), (\d+) descriptors, mode (\d+), (\d+) defunct\n"
HIDDEN = "TEMP TMP TMPDIR RIVEZEVEVIVA VISUAL EDITOR LANGUAGE LC_ALL LC_MESSAGES".split()
KEYS = object()  # a step's moment: when keys are read singly, without echo
posix_only = pytest.mark.skipif(WINDOWS, reason="terminals, descriptors, links and signals")
windows_only = pytest.mark.skipif(not WINDOWS, reason="Windows versions, under wine")


def native(path): return "Z:" + str(path).replace("/", "\\") if WINDOWS else str(path)  # / is Z:
def echoed(data): return data.replace(b"\n", b"\r\n") if WINDOWS else data  # ours, redirected


def texts(language, charset="utf-8"):  # of messages/LANGUAGE.msg, by id
    source = (SOURCE / "messages" / f"{language}.msg").read_text(encoding="utf-8")
    return {int(id): text.encode(charset) for id, text in re.findall(r"^(\d+) (.*)$", source, re.M)}


def child(*actions): return [native(CHILD), *actions]
def viewer(tag): return f"{native(CHILD)} awaited view:{tag}"  # seen only by a waiting utility
def pattern(size): return bytes((i * 131 + i // 256) % 256 for i in range(size))


def report(operation, error, locale={}):  # a failure report as a pattern, but for its line number
    head = re.escape(echoed(f"\nFile:src/diagnostics/report_failure.cpp\nError occured in "
                            f"{operation} \t\t\ton line ".encode()))
    env = {**{k: v for k, v in os.environ.items() if k not in HIDDEN}, "LANG": "C.UTF-8", **locale}
    text = rb"[^\n]*\n" if WINDOWS else re.escape(subprocess.run(  # our C library's, in that locale
        [CHILD, f"error:{error}"], env=env, capture_output=True).stdout + b"\n")
    return head + rb"\d+" + re.escape(echoed(f"\n\nError:({error})".encode())) + text + b" "


def not_a_console(locale={}):  # the mode query and both changes fail on redirected input
    return b"".join(report(name, 6 if WINDOWS else 25, locale) for name in
                    ("GetconsoleMode", "SetConsoleMode", "SetConsoleMode"))


PROMPT, NO_PROGRAM = texts("tarvmsg")[9], report("CreateProcess", 2)
CLOSING = echoed(b"\n\n\n" + PROMPT + b"\n")
REDIRECTED = not_a_console()  # on standard error, what redirected input makes of the prompt


# In a session of its own, so that whatever ends the runner (a timeout) leaves it: once the runner
# has gone, it ends every session that a case started and that is left.
WATCH = """import subprocess, sys
sessions = [line.strip() for line in sys.stdin]
if sessions:
    subprocess.run(["pkill", "-KILL", "-s", ",".join(sessions)])"""


class Tarvix:
    watcher = None

    def __init__(self, root):
        self.temp = (TARVIX.parent if WINDOWS else root) / "temp"  # wine takes the registry's
        self.root, self.seen, self.program, self.sessions = root, root / "seen", TARVIX, []
        shutil.rmtree(self.temp, ignore_errors=True)
        [folder.mkdir() for folder in (self.temp, self.seen)]

    def logs(self): return list(self.temp.iterdir())

    def copy(self, name, library, folder=None, program=TARVIX):  # run a copy beside this library
        (folder := folder or self.root / "bin").mkdir(exist_ok=True)
        self.program = Path(shutil.copy(program, folder / name))
        shutil.copy(library, folder / LIBRARY)

    def saw(self, tag):  # what the test viewer of this tag said, and the log it saw
        said, _, log = (self.seen / tag).read_bytes().partition(b"\n")
        return re.fullmatch(SAID, said + b"\n"), log

    def start(self, args, env=None, program=None, **options):
        """In a session of its own; C.UTF-8 (wine's arguments too) unless env says; None: unset."""
        given = {"TEMP": native(self.temp), "VIEWER_SEEN": native(self.seen), "LANG": "C.UTF-8",
                 **(env or {})}
        env = {name: value for name, value in {**os.environ, **given}.items()
               if value is not None and (name in given or name not in HIDDEN)}
        self.sessions.append(subprocess.Popen(program or RUNNER + [str(self.program), *args],
                                              env=env, start_new_session=True, **options))
        Tarvix.watcher.write(b"%d\n" % self.sessions[-1].pid)
        Tarvix.watcher.flush()
        return self.sessions[-1]

    def settle(self):  # until nothing it started runs on (a zombie does not); the deadline holds
        ids = ",".join(str(process.pid) for process in self.sessions)
        while not subprocess.run(["pgrep", "-rRSD", "-s", ids], capture_output=True).returncode:
            time.sleep(0.01)

    def end(self):  # every process of every session started, job control's groups included
        if self.sessions:
            subprocess.run(["pkill", "-KILL", "-s", ",".join(str(p.pid) for p in self.sessions)])
        [process.wait() for process in self.sessions]

    def run(self, args, key=b"", env=None, prompt=PROMPT, **options):  # code, out, err, echo, after
        process = self.start(args, env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, **options)
        # The key only once the prompt is here: it must be flushed to a redirected output too.
        out = read(process.stdout.fileno(), bytearray(), lambda out: prompt in out)
        rest, err = process.communicate(key)
        out = bytes(out + rest)
        echo, _, after = out.rpartition(CLOSING) if CLOSING in out else (out, b"", b"")
        return process.returncode, out, err, echo, after

    def in_terminal(self, args, steps, env=None, program=None, preexec=lambda: None, ahead=b""):
        """On a pseudo-terminal whose session it leads, ahead typed first: each step waits for its
        text anew (or KEYS), then types. Gives the code, screen, settings restored, what is left."""
        master, terminal = os.openpty()
        with open(master, "rb", 0), open(terminal, "rb", 0):  # closed however it ends
            settings = termios.tcgetattr(terminal)
            # Unlike a fresh terminal's, so that a restore that merely resets them shows.
            settings[6][termios.VMIN], settings[6][termios.VTIME] = 0, 7
            termios.tcsetattr(terminal, termios.TCSANOW, settings)
            settings = termios.tcgetattr(terminal)
            os.write(master, ahead)
            # The interrupt as a terminal's session gets it, however the suite was started.
            process = self.start(args, env, program, stdin=terminal, stdout=terminal,
                                 stderr=terminal, preexec_fn=lambda: [
                                     signal.signal(signal.SIGINT, signal.SIG_DFL), preexec(),
                                     fcntl.ioctl(0, termios.TIOCSCTTY, 0)])
            keys_read = lambda: not termios.tcgetattr(master)[3] & (termios.ICANON | termios.ECHO)
            screen = bytearray()
            for until, typed in steps:
                read(master, screen, lambda _, since=len(screen): process.poll() is not None or (
                    keys_read() if until is KEYS else until in screen[since:]))
                for piece in typed if isinstance(typed, tuple) else [typed]:  # as a slow link
                    os.write(master, piece)
                    time.sleep(0.05 * isinstance(typed, tuple))
            read(master, screen, lambda _: process.poll() is not None and not select.select(
                [master], [], [], 0.1)[0])
            restored = termios.tcgetattr(master) == settings
            tty.setraw(terminal, termios.TCSANOW)  # not TCSAFLUSH: what is left is to be seen
            left = os.read(terminal, 100) if select.select([terminal], [], [], 0)[0] else b""
            return process.returncode, bytes(screen), restored, left


def read(source, data, done):  # until done(data), or until every writer has closed the source
    while not done(data):
        if select.select([source], [], [], 0.01)[0]:
            if not (chunk := os.read(source, 4096)):
                break
            data += chunk
    return data


@pytest.fixture(scope="session")
def locales(tmp_path_factory):  # made for the suite, used through LOCPATH: users have few
    folder = tmp_path_factory.mktemp("locales")
    for name in ["de_DE.UTF-8", "de_AT.UTF-8", "fr_FR.UTF-8", "es_ES.UTF-8", "ja_JP.UTF-8",
                 "pt_BR.UTF-8", "de_DE.ISO-8859-1"]:  # one at a time: each takes much memory
        subprocess.run(["localedef", "-i", name[:5], "-f", name[6:], folder / name], check=True)
    return str(folder)


@pytest.fixture(scope="session", autouse=True)
def watcher():
    process = subprocess.Popen([sys.executable, "-c", WATCH], stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, start_new_session=True)
    Tarvix.watcher = process.stdin
    yield
    process.stdin.close()
    process.wait()


@pytest.fixture
def tarvix(tmp_path):
    yield (tarvix := Tarvix(tmp_path))
    tarvix.end()


# A row: the child's actions; what it writes, all of which must be echoed and logged; the key; the
# tag of the viewer that shows the log, if any; the viewers, as variable: tag (empty: set empty).
Run = namedtuple("Run", "actions written key shown viewers",
                 defaults=(b"v", "log", {"RIVEZEVEVIVA": "log"}))
# Each exactly as given; any character, too: on Windows, as the utility's code page is UTF-8.
ARGS = ["--lead", "a b", "", 'c"d', 'e\\"f', "tail\\", "x y\\", "\t", '"in""side"', "日本"]
RUNS = {"merged in write order": Run(["out:1\\n", "err:2\\n", "out:3\\r\\n"], b"1\n2\n3\r\n"),
        "line ends and zero bytes as they are": Run(["out:a\\r\\nb\\nc\\0d\\n"], b"a\r\nb\nc\0d\n"),
        "nothing": Run([], b""), "65537 bytes, then exit": Run(["bytes:65537"], pattern(65537)),
        "a grandchild holds the pipe": Run(["later:late\\n", "out:early\\n"], b"early\ngot late\n"),
        "1 MiB, then exit": Run(["bytes:1048576"], pattern(1 << 20)),
        "arguments whole": Run(["args", *ARGS], "".join(arg + "\n" for arg in ARGS).encode()),
        "RIVEZEVEVIVA first": Run(["out:x"], b"x", viewers={"RIVEZEVEVIVA": "log", "VISUAL": "2",
                                                            "EDITOR": "3"}),
        "empty is unset, VISUAL on POSIX, V": Run(["out:x"], b"x", b"V", "editor" if WINDOWS else
                                                  "visual", {"RIVEZEVEVIVA": "", "VISUAL": "visual",
                                                             "EDITOR": "editor"}),
        "another key": Run(["out:x"], b"x", b"x", None), "no key": Run(["out:x"], b"x", b"", None)}


@pytest.mark.parametrize("run", RUNS.values(), ids=RUNS.keys())
def test_output_is_echoed_and_logged_whole_the_viewer_shows_it_and_it_is_deleted(tarvix, run):
    env = {name: tag and viewer(tag) for name, tag in run.viewers.items()}
    code, _, err, echo, after = tarvix.run(child(*run.actions), run.key, env)
    assert (code, echo) == (7, run.written), "the child's status is the utility's; the echo"
    seen = {path.name: tarvix.saw(path.name)[1] for path in tarvix.seen.iterdir()}
    assert seen == ({run.shown: run.written} if run.shown else {}), "the viewers and what they saw"
    assert not tarvix.logs(), "the log deleted, after the viewer"
    if run.shown:  # in TEMP, joined with the platform's separator; private on POSIX
        said = tarvix.saw(run.shown)[0]
        assert re.fullmatch(re.escape(native(tarvix.temp) + SEPARATOR) + r"Tarvix\d+\.log",
                            said[2].decode())
        assert after.endswith(said[0]) and re.fullmatch(REDIRECTED + re.escape(said[0]), err), \
            "the viewer writes to our output and error, after our reports"
        assert WINDOWS or said.group(5, 6) == (b"%d" % 0o600, b"0"), "private; the program reaped"


@posix_only  # and wine takes TEMP and TMP from the registry
@pytest.mark.parametrize("variables, first", [  # those set, whole; an empty one counts as unset
    ({"TEMP": "a", "TMP": "b"}, "TEMP"), ({"TMP": "b", "TMPDIR": "c"}, "TMP"), ({}, None),
    ({"TEMP": "", "TMP": "b"}, "TMP"), ({"TMPDIR": "c"}, "TMPDIR"), ({"TEMP": 'a"/'}, "TEMP"),
    ({"TEMP": 'a\tb\\'}, "TEMP")])
def test_the_log_is_in_the_directory_of_the_first_variable_set(tarvix, variables, first):
    # The viewer, a shell command line of its own words, says which path it was given, whole.
    env = {"TEMP": None, "RIVEZEVEVIVA": "printf '[%s]\\n' 'two words'"}
    env |= {name: folder and f"{tarvix.root}/{folder}" for name, folder in variables.items()}
    [(tarvix.root / folder).mkdir(exist_ok=True) for folder in variables.values()]
    echo, after = tarvix.run(["echo", "x"], b"v", env)[3:]
    where = re.escape((env[first] + "/" if first else "/tmp/").encode())  # with none set: /tmp
    assert echo == b"x\n" and re.search(rb"\[two words\]\n\[%sTarvix\d+\.log\]\n\Z" % where, after)


def test_failures_are_reported_and_the_run_goes_on_and_a_log_that_fails_is_reported_once(tarvix):
    path = {} if WINDOWS else {"PATH": str(tarvix.root)}  # wine itself is found on PATH
    code, out, err, *_ = tarvix.run(["no-such-program", "a"], b"v", {"RIVEZEVEVIVA": "no-such",
                                                                    **path})
    assert code == 127 and re.fullmatch(NO_PROGRAM + REDIRECTED + NO_PROGRAM, err) and out == CLOSING
    # A path with a blank runs whole, not one named for its first word (our copy: no library, mute).
    (mine := tarvix.root / "my programs").mkdir()
    shutil.copy(TARVIX, tarvix.root / ("my.exe" if WINDOWS else "my"))
    assert tarvix.run([native(program := shutil.copy(CHILD, mine)), "out:whole"])[3] == b"whole"
    # Arguments arrive whole: a batch file's %* is what followed it; rm removes "my file" alone.
    if WINDOWS:  # the system's text whole, its insert as it stands; build runs build.cmd
        (tarvix.root / "text.exe").write_text("text")
        (tarvix.root / "build.cmd").write_text('@if "%*"=="all" echo built all')
        assert re.search(rb"Error:\(193\)[^\n]*%1", tarvix.run(["text.exe"], cwd=tarvix.root)[2])
        assert tarvix.run(["build", "all"], cwd=tarvix.root)[3].startswith(b"built all")
        pytest.skip("wine takes TEMP from the registry; limits are POSIX's")
    [(mine / name).touch() for name in ("my file", "my", "file")]
    tarvix.run(["rm", "my file"], cwd=mine)
    assert set(os.listdir(mine)) == {Path(program).name, "file", "my"}
    shutil.copy(CHILD, tarvix.root / 'say"hi')  # a name is a name, quotes and all
    assert tarvix.run(['./say"hi', "args", "a b", "c"], cwd=tarvix.root)[3] == b"a b\nc\n"
    # Reports on standard error: the output holds the program's bytes alone, then the prompt.
    out, err = tarvix.run(child("bytes:1000"), b"v", {"TEMP": str(tarvix.root / "no"),
                                                       "RIVEZEVEVIVA": viewer("none")})[1:3]
    assert out == pattern(1000) + CLOSING + texts("tarvmsg")[13] + b"\n", "v: there is no log"
    assert re.fullmatch(report("CreateFile", 2) + REDIRECTED, err)
    assert not any(tarvix.seen.iterdir()), "no log made, no viewer started"
    out, err = tarvix.run(child("bytes:1000"), preexec_fn=lambda: [signal.signal(
        signal.SIGXFSZ, signal.SIG_IGN), resource.setrlimit(resource.RLIMIT_FSIZE, (100, 100))]
    )[1:3]
    assert out == pattern(1000) + CLOSING and re.fullmatch(report("WriteFile", errno.EFBIG) +
                                                           REDIRECTED, err), "a log full: once"
    # No descriptors for the pipe: its failure, no pump, the prompt (musl's spawn needs one too).
    out, err = tarvix.run(child("view:nopipe"), preexec_fn=lambda: resource.setrlimit(
        resource.RLIMIT_NOFILE, (5, 5)))[1:3]
    tarvix.settle()
    assert re.match(report("CreatePipe", errno.EMFILE), err) and b"ReadFile" not in err
    assert re.search(REDIRECTED + rb"\Z", err) and out.endswith(CLOSING)
    assert MUSL or tarvix.saw("nopipe")[0][4] == b"3", "0 to 2 on /dev/null, not its first files"


@windows_only
def test_programs_and_viewers_are_found_as_cmd_finds_them_and_a_batch_file_gets_its_arguments(
        tarvix):
    root, folder = tarvix.root, tarvix.root / "on path"
    folder.mkdir(), (root / "proj.v2").mkdir()
    for name, text in {"args.bat": "@echo all:[%*]\r\n@echo one:[%1]", "make.bat": "@echo make.bat",
                       "proj.v2/build.cmd": "@echo v2 %1", "tool-1.2.bat": "@echo tool %1",
                       "on path/code.cmd": f'@"{native(CHILD)}" view:code %*'}.items():
        (root / name).write_bytes(text.encode())
    [shutil.copy(CHILD, folder / name) for name in ("make.exe", "tview.com")]
    on_path = {"WINEPATH": native(folder)}
    # Each argument exactly as given, cmd acting on none of its characters.
    for given in ["Release|x64", "fish&chips", "1>2", "<in", "^start", "!x!", 'a"b', "two words"]:
        word = b'"%s"' % given.replace('"', '""').encode()
        echo = tarvix.run(["args.bat", given], cwd=root)[3]
        assert echo == b"all:[%s]\r\none:[%s]\r\n" % (word, word), given
    for refused in ["%PATH%", "a\nb"]:  # nothing runs, and it says why
        code, out, err, echo, _ = tarvix.run(["args.bat", "x", refused], cwd=root)
        assert echo == b"" and re.match(report("CreateProcess", 87), err), refused
    assert not (root / "2").exists() and not (root / "in").exists(), "nothing redirected"
    # The current folder before PATH, then PATHEXT's extensions whatever dots the name holds.
    for args, shown in [(["make", "html"], b"make.bat"), ([r"proj.v2\build", "all"], b"v2 all"),
                        (["tool-1.2", "x"], b"tool x"), ([r".\make"], b"make.bat")]:
        assert tarvix.run(args, env=on_path, cwd=root)[3].startswith(shown), args
    # The viewer's first word found the same way and started by its full path; never a guess at
    # where a path with blanks ends (process creation would run "my temp\x.exe").
    (root / "my temp").mkdir(), shutil.copy(CHILD, root / "my temp" / "x.exe")
    for value, tag in [("tview awaited view:tview", "tview"), ("code --wait", "code"),
                       (f"{native(root)}\\my temp\\x y.exe view:my", None)]:
        err = tarvix.run(child("out:x"), b"v", {"RIVEZEVEVIVA": value, **on_path}, cwd=root)[2]
        assert tarvix.saw(tag)[1] == b"x" if tag else re.search(report("CreateProcess", 2), err)


# The locale's variables (a text: LC_ALL's), as POSIX and wine take them; the message file whose
# texts show then, in the character set they are shown in (UTF-8 unless the row says).
LANGUAGES = [pytest.param({"LC_ALL": locale} if isinstance(locale, str) else locale, shown,
                          *charset or ["utf-8"], id=name, marks=[posix_only] * ("POSIX" in name))
             for name, locale, shown, *charset in [
    ("C", {}, "tarvmsg"), ("de_DE", "de_DE.UTF-8", "de"), ("fr_FR", "fr_FR.UTF-8", "fr"),
    ("es_ES", "es_ES.UTF-8", "es"), ("POSIX: Latin-1", "de_DE.ISO-8859-1", "de", "latin-1"),
    ("ja_JP", "ja_JP.UTF-8", "ja"), ("pt_BR in English", "pt_BR.UTF-8", "tarvmsg"),
    ("de_AT as de", "de_AT.UTF-8", "de"),
    ("POSIX: LC_MESSAGES", {"LANG": "C.UTF-8", "LC_MESSAGES": "de_DE.UTF-8"}, "de"),
    ("POSIX: LANGUAGE, whatever NLSPATH", {"LANG": "de_DE.UTF-8", "LANGUAGE": "pt_BR:fr",
                                           "NLSPATH": f"{TARVIX.parent}/locale/%l/LC_MESSAGES/%N"},
     "fr"), ("POSIX: C, whatever LANGUAGE", {"LC_ALL": "C", "LANGUAGE": "fr"}, "tarvmsg"),
    ("POSIX: messages in C, whatever LANGUAGE", {"LANG": "C.UTF-8", "LC_MESSAGES": "C",
                                                  "LANGUAGE": "fr"}, "tarvmsg"),
    ("POSIX: Latin-1 has no ja", {"LC_ALL": "de_DE.ISO-8859-1", "LANGUAGE": "ja:fr"}, "fr",
     "latin-1"), ("POSIX: C.UTF-8 takes LANGUAGE", {"LANGUAGE": "fr"}, "fr")]]


@pytest.mark.parametrize("locale, language, charset", LANGUAGES)
def test_usage_and_texts_in_the_users_language_from_a_library_without_which_nothing_starts(
        tarvix, locales, locale, language, charset):
    shown, given = texts(language, charset), {**locale, "LOCPATH": locales} if locale else {}
    code, usage, *_ = tarvix.run([], env=given)
    assert code == 1 and usage == echoed(b"".join(shown[id] + b"\n" for id in range(1, 9)))
    # The prompt and the system's texts too; the child's bytes and locale as they were.
    missing = {"RIVEZEVEVIVA": native(tarvix.root / "no-such")}  # whatever PATH holds
    out, err = tarvix.run(child("out:café\\n", "locale"), b"v", {**given, **missing},
                          shown[9])[1:3]
    variables = "".join(f"{name}={({'LANG': 'C.UTF-8', **locale}).get(name, '-')}\n" for name in
                        ("LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"))
    assert out == f"café\n{variables}".encode() + echoed(b"\n\n\n%s\n" % shown[9])
    assert re.fullmatch(not_a_console(given) + report("CreateProcess", 2, given), err)
    if not locale:  # the options run nothing and make no log; only they are options
        assert all(tarvix.run([arg])[:2] == (0, usage) for arg in ["--help", *["/?"] * WINDOWS])
        assert re.fullmatch(rb"tarvix \d+\.\d+\.\d+\r?\n", tarvix.run(["--version"])[1])
        assert re.match(NO_PROGRAM, tarvix.run(["--helpful"])[2]) and not tarvix.logs(), "a program"
        tarvix.copy(tarvix.program.name, LONG_TEXTS)  # too long a first text, no second
        assert tarvix.run([])[1] == echoed(b"1234567890" * 7 + b"123456789\n\nthree" + b"\n" * 6)
        # Only the library beside the utility is ever taken: not one where it runs, nor on PATH.
        (tarvix.root / "bin" / LIBRARY).rename(tarvix.root / LIBRARY)
        code, out, err, *_ = tarvix.run(child("out:started\\n"), cwd=tarvix.root, env={
            "PATH": f"{tarvix.root}{os.pathsep}{os.environ['PATH']}"})
        assert code == 1 and out == b"" and not tarvix.logs()
        assert err == echoed(f"Tarvix error: Cannot find {LIBRARY}. Tarvix will now terminate\n"
                             .encode()), "on standard error, where a message box may go unseen"
        (tarvix.root / "bin" / LIBRARY).write_bytes(b"1\tone\nnot a text\n")  # nor a non-library
        assert tarvix.run(child("out:started\\n"), prompt=b"")[:3] == (1, b"", err)


@posix_only
def test_found_by_its_name_without_proc_and_any_ending_it_can_catch_deletes_the_log(tarvix):
    # Its catalogs beside the file started (a path, a link on PATH), with no /proc, as in a chroot.
    (tarvix.root / "tv").symlink_to(TARVIX)
    if SANITIZED or subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode:
        pytest.skip("the sanitizers need /proc; or this user may not make a mount namespace")
    for program in str(TARVIX), "tv":
        code, out = tarvix.run([], env={"PATH": f"{tarvix.root}:{os.environ['PATH']}"}, program=[
            "unshare", "-m", "sh", "-c", 'umount -l /proc && "$@"', "sh", program, "--version"])[:2]
        assert (code, out.startswith(b"tarvix ")) == (0, True), program
    for ending in signal.SIGHUP, signal.SIGTERM:  # a closed terminal, a kill
        process = tarvix.start(child("out:ready\\n", "sleep:60000"), stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE)
        assert process.stdout.readline() == b"ready\n" and tarvix.logs()
        process.send_signal(ending)
        assert process.wait() == -ending and not tarvix.logs(), ending


@posix_only
def test_the_status_is_the_programs_and_an_interrupt_ends_the_wait_even_as_a_first_process(tarvix):
    # As a shell reports it; "--" ends our options; a script without "#!" runs with /bin/sh.
    (script := tarvix.root / "plain").write_text('echo "$#:$1"; exit 4\n')
    script.chmod(0o755), (tarvix.root / "data").write_text("x")
    for args, status, echo in [(["sh", "-c", "exit 3"], 3, b""), (["no-such"], 127, b""),
                               (["sh", "-c", "kill $$"], 128 + signal.SIGTERM, b""),
                               ([str(tarvix.root / "data")], 126, b""),
                               (["--", str(script), "--"], 4, b"1:--\n"), (["--", "--help"], 127, b"")]:
        assert tarvix.run(args)[::3] == (status, echo), args
    # A namespace's first process, as a container's entry: its signals' default actions are kept
    # from it by the kernel, yet an interrupt at the prompt and SIGTERM end it, quietly.
    first = ["unshare", "-p", "-f", "--mount-proc", str(TARVIX)]
    if subprocess.run(first[:3] + ["true"], capture_output=True).returncode:
        pytest.skip("this user may not make a process namespace")
    code = tarvix.in_terminal([], [(KEYS, b"\x03")], program=[*first, *child("out:x")])[0]
    assert code == 128 + signal.SIGINT and not tarvix.logs()
    process = tarvix.start([], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, program=[*first, *child("out:ready\\n",
                                                                           "sleep:60000")])
    assert process.stdout.readline() == b"ready\n"
    os.kill(int(subprocess.check_output(["pgrep", "-P", str(process.pid)])), signal.SIGTERM)
    assert (process.wait(), process.stderr.read(), tarvix.logs()) == (128 + signal.SIGTERM, b"", [])


# wine's console is in the OEM code page, 850 for these locales; it writes to the terminal in the
# locale's character set, which must exist for it, with the terminal's own sequences between.
@windows_only
def test_texts_in_the_code_page_or_in_english_and_the_childs_bytes_as_they_came(tarvix, locales):
    utf8 = lambda **names: {n: f"{v}.UTF-8" for n, v in names.items()} | {"LOCPATH": locales}
    text = lambda screen: re.sub(rb"\x1b\[[?0-9;]*[A-Za-z]|\r", b"", screen)
    english = texts("tarvmsg")
    # Its console its own, as double-clicked: a key closes it, once the usage shows.
    _, screen, _, left = tarvix.in_terminal([], [(texts("fr")[8], b"x")], utf8(LC_ALL="fr_FR"))
    assert b"\n".join(texts("fr")[id] for id in range(1, 9)) in text(screen), "the usage, converted"
    assert left == b"", "the key that closes it read"
    # The system's text as a redirected report has it, in the program's code page (UTF-8).
    brazilian = utf8(LC_ALL="pt_BR")
    report = tarvix.run(["no-such"], env=brazilian)[2]
    assert b"Error:(2)" in report, report
    system = re.search(rb"Error:\(2\)([^\r]*)", report)[1]
    screen = text(tarvix.in_terminal(child("out:café\\n"), [(PROMPT, b"v")],
                                     {**brazilian, "RIVEZEVEVIVA": "no-such"})[1])
    assert b"Error:(2)" + system + b"\n" in screen, "the system's text, converted"
    assert "caf├®\n".encode() in screen, "the child's UTF-8, as it wrote it, in code page 850"
    # A language that the console's code page lacks is not shown: Japanese on 437, German on 932.
    # The system's texts then in English too, never question marks.
    for env in utf8(LANG="C", LC_MESSAGES="ja_JP"), utf8(LANG="ja_JP", LC_MESSAGES="de_DE"):
        assert english[1] in text(tarvix.in_terminal([], [(english[8], b"x")], env)[1]), env
        screen = text(tarvix.in_terminal(["no-such"], [(english[9], b"x")], env)[1])
        assert re.search(rb"Error:\(2\)[ -~]+\n", screen) and b"?" not in screen, screen
    # Shift-JIS, a kanji of it split between two writes, and so two reads, shown whole on 932.
    kanji = ("x" * 63 + "完了しました\n").encode("cp932")
    (tarvix.root / "lead").write_bytes(kanji[:64])
    (tarvix.root / "rest").write_bytes(kanji[64:])
    parts = [f"file:{native(tarvix.root / part)}" for part in ("lead", "rest")]
    screen = tarvix.in_terminal(child(parts[0], "sleep:300", parts[1]), [(PROMPT, b"x")],
                                utf8(LANG="ja_JP", LC_MESSAGES="de_DE"))[1]
    assert "x完了しました".encode() in text(screen)
    # Redirected, without the manifest the code page is the locale's: no language it cannot hold.
    tarvix.copy("tarvix.exe", TARVIX.parent / LIBRARY, tarvix.root / "日本",  # a folder 1252 lacks
                program=CHILD.parent / "tarvix_without_manifest.exe")
    shutil.copytree(TARVIX.parent / "ja", tarvix.program.parent / "ja")
    assert tarvix.run([], env=utf8(LANG="de_DE", LC_MESSAGES="ja_JP"))[1].startswith(english[1])
    assert tarvix.run([], env=utf8(LC_ALL="ja_JP"))[1].startswith(texts("ja", "cp932")[1])


# wine reports the version an AppDefaults key names: win95 and win98 are platform 1, win31 is 0.
@windows_only
@pytest.mark.parametrize("version, status", [("win95", 7), ("win98", 7), ("win31", 1)])
def test_the_windows_95_and_nt_families_run_and_win32s_is_refused(tarvix, version, status):
    name = f"tarvix-{version}.exe"
    subprocess.run(RUNNER + ["reg", "add", rf"HKCU\Software\Wine\AppDefaults\{name}", "/v",
                             "Version", "/d", version, "/f"], check=True, capture_output=True)
    tarvix.copy(name, TARVIX.parent / LIBRARY)
    code, out, *_ = tarvix.run(child("out:started\\n"))
    assert (code, out.startswith(b"started\n"), tarvix.logs()) == (status, status == 7, [])


@posix_only
@pytest.mark.parametrize("plant", [os.symlink, os.link, lambda _, log: open(log, "w").close()],
                         ids=["symbolic link", "hard link", "another's log"])
def test_the_log_is_only_ever_a_file_of_its_own_and_the_child_holds_0_to_2(tarvix, plant):
    (victim := tarvix.root / "victim").write_bytes(b"precious")
    names = lambda: [tarvix.temp / f"Tarvix{os.getpid()}{n}.log" for n in ("", "-1")]  # its pid
    echo = tarvix.run(child("fds", "out:fresh\\n"), b"v", {"RIVEZEVEVIVA": viewer("log")},
                      preexec_fn=lambda: [plant(victim, log) for log in names()])[3]
    assert victim.read_bytes() == b"precious" and b"Tarvix" not in echo
    stem = re.fullmatch(r".*/(Tarvix\d+)-2\.log", tarvix.saw("log")[0][2].decode())
    assert tarvix.saw("log")[1] == echo and stem, "the next free name"
    assert sorted(p.name for p in tarvix.logs()) == [stem[1] + "-1.log", stem[1] + ".log"]
    held = echo.split(b"\n")[:-2]  # the input it shares, and the pipe as output and error
    assert len(held) == 3 and held[0] != held[1] == held[2], "nothing of the pipe besides"


@pytest.mark.parametrize("output", [pytest.param("/dev/full", marks=posix_only),
                                    pytest.param("closed", marks=posix_only), "a reader of a line"])
def test_output_that_cannot_be_written_loses_nothing_from_the_log_but_a_gone_reader_ends_it(
        tarvix, output):
    gone = output == "a reader of a line"
    (tarvix.root / "key").write_bytes(b"v")
    with open(tarvix.root / "key") as key, open("/dev/full", "wb") as full:
        actions = ["ask:y\\n", "forever:y\\n"] if gone else ["signals", "bytes:100000"]
        process = tarvix.start(child(*actions), {"RIVEZEVEVIVA": viewer("log")},
                               stdin=subprocess.PIPE if gone else key,
                               stdout=full if output == "/dev/full" else subprocess.PIPE,
                               preexec_fn=(lambda: os.close(1)) if output == "closed" else None)
    if gone:  # the line while the program waits; then, as `| head -1`, the run is over, with no
        assert process.stdout.readline() == b"y\n"  # prompt, no key and no writer left
        process.stdout.close()
        process.stdin.close()  # the program goes on
        assert process.wait() == (7 if WINDOWS else 128 + signal.SIGPIPE), "the program's end"
        assert not tarvix.logs() and not any(tarvix.seen.iterdir())
        tarvix.settle()  # no writer left
    else:
        assert process.wait() == 7 and not tarvix.logs()
        _, ignored, written = tarvix.saw("log")[1].split(b"\n", 2)
        assert written == pattern(100000), "the log"
        assert not int(ignored.split()[1], 16) & 1 << signal.SIGPIPE - 1, "SIGPIPE ignored"


@posix_only
def test_in_a_terminal_echoes_show_at_once_a_whole_key_answers_and_interrupts_keep_it_sound(tarvix):
    # No viewer named: vi, this one, which then reads a line: an interrupt there is the viewer's.
    (tarvix.root / "vi").write_text(f'#!/bin/sh\nexec "{CHILD}" awaited "view:$TAG" ask: "$@"\n')
    (tarvix.root / "vi").chmod(0o755)
    env = {"PATH": f"{tarvix.root}:{os.environ['PATH']}", "TAG": "key"}
    shown = (b"name? bob\ngot bob\n" + CLOSING).replace(b"\n", b"\r\n")  # the key not shown
    # A key is taken whole, even in pieces 50 ms apart (a slow link), as é's two bytes here.
    for key in b"x", b"\r", (b"\x1b", b"[A"), b"\x1b[15~", (b"\xc3", b"\xa9"), b"\x03", b"v":
        steps = [(b"name? ", b"bob\n"), (PROMPT, b""), (KEYS, key),  # all shown before a ^C
                 *[(b"descriptors", b"\x03")] * (key == b"v")]
        code, screen, restored, left = tarvix.in_terminal(child("ask:name?\\s"), steps, env)
        assert (code, screen[:len(shown)], restored, left) == (-signal.SIGINT if key == b"\x03"
            else 7, shown, True, b""), f"{key}: the status, the echo, every setting back, none left"
    assert not tarvix.logs(), "an interrupt at the prompt deletes the log too"
    # Made non-blocking (as node does) and held back (Ctrl+S, then Ctrl+Q): every line shows. Not
    # every line end: Linux's terminal drops the CR LF it makes of a line feed that Ctrl+S stops.
    screen = tarvix.in_terminal(child("nonblock", "lines:30000"),
                                [(b"000001", (b"\x13", b"\x11")), (KEYS, b"x")])[1]
    assert re.findall(rb"\d{6}", screen) == [b"%06d" % n for n in range(1, 30001)]
    said, log = tarvix.saw("key")  # with the terminal as its standard handles, and nothing else
    assert log == b"name? got bob\n" and said.group(3, 4) == (b"yes", b"3")
    # Enter, typed before the program even starts, does not answer the prompt.
    tarvix.in_terminal(child("out:busy"), [(KEYS, b"v"), (b"descriptors", b"\x03")],
                       {**env, "TAG": "enter"}, ahead=b"\r")
    assert tarvix.saw("enter")[1] == b"busy"
    # Signals ignored at its start stay ignored, by the program too; it still awaits the viewer.
    # With SIGCHLD ignored, the system reaps the program: its status is not known, 0.
    code, screen, *_ = tarvix.in_terminal(
        child("signals"), [(PROMPT, b""), (KEYS, b"\x03"), (KEYS, b"v"), (b"descriptors", b"\n")],
        {**env, "TAG": "ignoring"}, preexec=lambda: [
            signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGUSR1}),
            *(signal.signal(number, signal.SIG_IGN) for number in (signal.SIGINT, signal.SIGCHLD))])
    blocked, ignored = (int(field, 16) for field in screen.split()[1:4:2])
    assert code == 0 and b"occured" not in screen and tarvix.saw("ignoring")[1].startswith(b"Sig")
    assert ignored & 1 << signal.SIGINT - 1 and ignored & 1 << signal.SIGCHLD - 1, "the program's"
    assert blocked == 1 << signal.SIGUSR1 - 1, "the program's mask, as the utility was given it"


# wine's console too: a pending read of a program that an interrupt ended keeps the next key there.
def test_an_interrupt_while_the_program_runs_is_its_own_and_no_prompt_goes_unseen(tarvix):
    # The program gone, what it left behind holds the pipe: an interrupt ends the wait for it.
    code, screen, *_ = tarvix.in_terminal(child("linger:600000", "out:started\\n"), [
        (b"started", (b"",) * 4 + (b"\x03",)), (PROMPT, b""), (KEYS, b"x")])  # 200 ms after its end
    assert PROMPT in screen and code == 7
    # The program ended by the interrupt or quit key: the prompt, then we end the same way, so that
    # a shell's loop stops (wine: the program's exit code).
    for key, ended in (b"\x03", signal.SIGINT), (b"\x1c", signal.SIGQUIT):
        code, screen, *_ = tarvix.in_terminal(
            child("onint:saved\\n", "out:ready\\n", "sleep:60000"), [(b"ready", key), (PROMPT, b""),
            (KEYS, b"x")], preexec=lambda: resource.setrlimit(resource.RLIMIT_CORE, (0, 0)))
        assert WINDOWS or code == -ended, key
        assert PROMPT in screen and (b"saved" in screen.partition(PROMPT)[0] or key == b"\x1c"), \
            "its last words, then the prompt"
        if WINDOWS:
            break
    # The keyboard here but the output elsewhere, or another session's terminal: no prompt, no key.
    for before in ["sh", "-c", '"$@" | cat', "sh"], *[["setsid", "-w"]] * (not WINDOWS):
        code, screen, restored, left = tarvix.in_terminal([], [], program=[
            *before, *RUNNER, str(TARVIX), *child("out:x")], ahead=b"k")
        assert (code, PROMPT in screen, WINDOWS or restored, left) == (
            7 * (before[0] == "setsid"), 0, 1, b"k"), before  # cat's status, or the program's
    assert not tarvix.logs()


# dash, unlike bash, leaves a stopped job's terminal as the job left it.
@posix_only
@pytest.mark.parametrize("shell", [["bash", "--norc", "--noprofile", "--noediting", "-i"],
                                   ["dash", "-i"]], ids=["bash", "dash"])
def test_stopped_or_in_the_background_asks_again_once_continued_and_ends_on_a_signal(tarvix, shell):
    run, answer = f"{TARVIX} {CHILD} out:x".encode(), [(PROMPT, b""), (KEYS, b"x")]
    stopped = b'until jobs >"$JOBS"; grep -q Stopped "$JOBS"; do sleep 0.01; done; '
    # Stopped while the program runs and continued, it asks once. A shell flushes what was typed
    # before its prompt: each command waits for one, which comes once the job has stopped. The
    # program is not reading when stopped: a read cut short late takes the shell's next line.
    steps = [(b"$ ", f"{TARVIX} {CHILD} 'out:ready\\s' sleep:1500 ask:\n".encode()),
             (b"ready ", b"\x1a"), (b"\n$ ", b"fg\n"), (b"sleep:1500", b"go\n"), *answer,
             (b"$ ", b"stty -g\n"),
             (b"$ ", run + b"\n"), (KEYS, b"\x1a"), (b"\n$ ", b"stty -g; bg; " + stopped + b"fg\n"),
             *answer,
             (b"$ ", run + b" &\n"), (PROMPT, stopped + b"bg; " + stopped + b"fg\n"), *answer,
             (b"$ ", b"echo status:$?\n"), (b"$ ", run + b"\n"), (KEYS, b"\x1a"),
             # The settings differ from those it was given: ending changes nothing of them.
             (b"\n$ ", b"stty -echo; stty -g; kill %1; kill -CONT %1; until ! jobs %1; "
                          b"do sleep 0.01; done >/dev/null 2>&1; stty -g; echo end''ed\n"),
             (b"ended", b"stty echo; exit\n")]
    code, screen, _, left = tarvix.in_terminal(
        [], steps, {"PS1": "$ ", "JOBS": str(tarvix.root / "jobs")}, program=shell)
    assert screen.partition(b"got go")[2].partition(b"$ ")[0].count(PROMPT) == 1
    settings = re.findall(rb"[0-9a-f]+(?::[0-9a-f]+){20,}", screen)  # stty -g's, in pairs
    assert len(settings) == 4 and settings[0] == settings[1], "the terminal while stopped"
    assert settings[2] == settings[3], "killed while stopped: the shell's settings stay"
    assert screen.count(PROMPT) == 6, "shown again once in the foreground, never in the background"
    assert b"status:7" in screen and left == b"" and not tarvix.logs(), "SIGTERM deletes the log"
    assert b"occured" not in screen, "a continue in the background stops it again, quietly"
