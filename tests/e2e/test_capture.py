"""What every platform must do: capture, the closing key, the viewer, start-up and failures."""
import os
import re
import select
import subprocess

import pytest

from conftest import (CLOSING, LONG_TEXTS, NOT_A_CONSOLE, VIEWER_LINE, VIEWER_SAID, WINDOWS,
                      child, code, echoed, native, pattern, report)

SEPARATOR = "\\" if WINDOWS else "/"
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
    run = tarvix.run(child(*actions), b"v", {"RIVEZEVEVIVA": tarvix.viewer("log")})
    assert run.code == 0, "the child's status is not the utility's"
    assert run.echo == echoed(written)
    assert (tarvix.seen / "log").read_bytes() == written
    assert re.fullmatch(NOT_A_CONSOLE + VIEWER_SAID, run.after)
    assert not any(tarvix.temp.iterdir())


@pytest.mark.parametrize("key, variables, viewer", [
    (b"v", {"RIVEZEVEVIVA": "first", "EDITOR": "second"}, "first"),
    (b"V", {"EDITOR": "editor"}, "editor"),
    (b"x", {"RIVEZEVEVIVA": "first"}, None),
    (b"", {"RIVEZEVEVIVA": "first"}, None),
])
def test_the_key_and_the_first_viewer_named(tarvix, key, variables, viewer):
    env = {name: tarvix.viewer(tag) for name, tag in variables.items()}
    run = tarvix.run(child("out:logged\\n"), key, env)
    assert {path.name for path in tarvix.seen.iterdir()} == ({viewer, f"{viewer}.said"}
                                                             if viewer else set())
    if viewer:  # it takes its time: the utility waited for it before deleting the log
        assert (tarvix.seen / viewer).read_bytes() == b"logged\n"
    assert run.code == 0 and re.fullmatch(NOT_A_CONSOLE + (VIEWER_SAID if viewer else b""),
                                          run.after)
    assert not any(tarvix.temp.iterdir())


@pytest.mark.parametrize("variables, first", [  # those present (not TEMP unless named)
    ({"TEMP": "a", "TMP": "b"}, "TEMP"),
    ({"TMP": "b"}, "TMP"),
    ({"TEMP": "a" + SEPARATOR}, "TEMP"),  # never normalised
] + ([] if WINDOWS else [  # no empty variables, and no TMPDIR, on Windows
    ({"TEMP": "", "TMP": "b"}, "TEMP"),
    ({"TMP": "b", "TMPDIR": "c"}, "TMP"),
    ({"TMPDIR": "c"}, "TMPDIR"),
]))
def test_the_log_is_in_the_directory_of_the_first_variable_present(tarvix, variables, first):
    env = {"TEMP": None, "RIVEZEVEVIVA": tarvix.viewer("log")}
    for name, directory in variables.items():
        env[name] = directory and native(tarvix.root) + SEPARATOR + directory
        (tarvix.root / directory.rstrip(SEPARATOR)).mkdir(exist_ok=True)
    tarvix.run(child(), b"v", env)
    path = re.match(VIEWER_LINE, (tarvix.seen / "log.said").read_bytes())[2].decode()
    assert re.fullmatch(re.escape(env[first] + SEPARATOR) + r"Tarvix\d+\.log", path)


def test_failures_are_reported_and_the_run_goes_on(tarvix):
    run = tarvix.run(["no-such-program", "a"], b"v", {"RIVEZEVEVIVA": "no-such-viewer"})
    assert run.code == 0
    assert re.fullmatch(report("CreateProcess", 2) + re.escape(CLOSING) + NOT_A_CONSOLE +
                        report("CreateProcess", 2), run.out)

    run = tarvix.run(child("out:shown\\n"), env={"TEMP": native(tarvix.root / "missing")})
    assert run.code == 0, "the output still shows when the log cannot be written"
    assert re.fullmatch(report("CreateFile", code(2, 3)) + report("WriteFile", code(9, 6)) +
                        re.escape(echoed(b"shown\n") + CLOSING) + NOT_A_CONSOLE, run.out)


def test_arguments_reach_the_child_as_the_splitting_rules_say(tarvix):
    run = tarvix.run(child("args", "--lead", "a\\b", 'q"uo te"d', '\\"x', '\\\\"y"', '""'))
    assert run.echo == echoed(b'--lead\na\\b\nquo ted\n"x\n\\y\n\n')


def test_the_prompt_reaches_a_redirected_output_before_the_key_is_read(tarvix):
    process = tarvix.start(child("out:hi\\n"), stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    out = b""
    while CLOSING not in out:
        assert select.select([process.stdout], [], [], 60)[0], f"no prompt: {out}"
        out += os.read(process.stdout.fileno(), 4096) or pytest.fail(f"no prompt: {out}")
    process.communicate(b"x", timeout=60)
    assert process.returncode == 0


def usage(run):
    return run.out.split(echoed(b"\n"))[:-1]


def test_without_arguments_it_prints_eight_usage_lines(tarvix):
    run = tarvix.run([])
    assert run.code == 1 and len(usage(run)) == 8
    assert usage(run)[1] == b"Usage: tarvix <program> [arguments...]"
    assert all(0 < len(line) <= 79 for line in usage(run))
    assert not any(tarvix.temp.iterdir())


def test_texts_are_cut_to_79_characters_and_a_missing_one_is_empty(tarvix):
    tarvix.copy(tarvix.program.name, LONG_TEXTS)
    assert usage(tarvix.run([])) == [b"1234567890" * 7 + b"123456789", b"", b"three", b"four",
                                     b"five", b"six", b"seven", b"eight"]


def test_without_its_message_library_it_starts_nothing(tarvix):
    tarvix.copy(tarvix.program.name, None)
    run = tarvix.run(child("out:started\\n"))
    assert run.code == 1 and run.out == b""
    # No message boxes on POSIX: a line on standard error; wine without a display shows none.
    assert run.err == (b"" if WINDOWS else
                       b"Tarvix error: Cannot find tarvmsg.cat. Tarvix will now terminate\n")
    assert not any(tarvix.temp.iterdir())
