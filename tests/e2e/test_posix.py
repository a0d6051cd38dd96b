"""What only POSIX systems can arrange: terminals, descriptors, links, signals, the install."""
import os
import re
import signal
import subprocess

import pytest

from conftest import CLOSING, CHILD, TARVIX, VIEWER_LINE, child, pattern


def screen(text):
    """Text as a terminal shows it: each line end as a carriage return and a line feed."""
    return text.replace(b"\n", b"\r\n")


def test_the_log_is_private_and_never_held_by_the_child(tarvix):
    run = tarvix.run(child("fds"), b"v", {"RIVEZEVEVIVA": tarvix.viewer("log")})
    assert b"Tarvix" not in run.echo
    assert (tarvix.seen / "log").stat().st_mode & 0o777 == 0o600


@pytest.mark.parametrize("planted", ["symbolic link", "hard link", "stale log"])
def test_what_stands_at_the_log_path_is_never_written_through(tarvix, planted):
    victim = tarvix.root / "victim"
    victim.write_bytes(b"precious")
    plant = {"symbolic link": os.symlink, "hard link": os.link,
             "stale log": lambda _, log: open(log, "w").write("stale")}[planted]
    run = tarvix.run(child("out:fresh\\n"), b"v", {"RIVEZEVEVIVA": tarvix.viewer("log")},
                     preexec_fn=lambda: plant(victim, tarvix.temp / f"Tarvix{os.getpid()}.log"))
    assert victim.read_bytes() == b"precious"
    assert (tarvix.seen / "log").read_bytes() == b"fresh\n"
    assert not any(tarvix.temp.iterdir())


@pytest.mark.parametrize("output", ["/dev/full", "closed", "a reader that goes away"])
def test_output_that_cannot_be_written_loses_nothing_from_the_log(tarvix, output):
    (tarvix.root / "key").write_bytes(b"v")
    stdout = open("/dev/full", "wb") if output == "/dev/full" else subprocess.PIPE
    process = tarvix.start(child("sigign", "bytes:100000"), {"RIVEZEVEVIVA": tarvix.viewer("log")},
                           stdin=open(tarvix.root / "key"), stdout=stdout,
                           preexec_fn=(lambda: os.close(1)) if output == "closed" else None)
    if output == "a reader that goes away":
        process.stdout.read(10)
        process.stdout.close()
    assert process.wait(timeout=60) == 0
    ignored, _, written = (tarvix.seen / "log").read_bytes().partition(b"\n")
    assert written == pattern(100000)
    assert not int(ignored.split()[1], 16) & 1 << signal.SIGPIPE - 1, "the child ignores SIGPIPE"
    assert not any(tarvix.temp.iterdir())


def test_a_closed_standard_input_is_no_key(tarvix):
    run = tarvix.run(child("out:hi\\n"), preexec_fn=lambda: os.close(0))
    assert run.code == 0 and b"ReadFile" not in run.out


def test_a_key_in_a_terminal_needs_no_enter_shows_nothing_and_ends_the_run(tarvix):
    for key in (b"x", b"\r"):
        run, restored = tarvix.in_terminal(child("out:hello\\n"), [key])
        assert run.code == 0
        assert run.out == screen(b"hello\n" + CLOSING), "three line ends, the prompt, no echo"
        assert restored, "every setting of the terminal as before"
    assert not any(tarvix.temp.iterdir())


def test_in_a_terminal_each_echo_shows_at_once(tarvix):
    run, _ = tarvix.in_terminal(child("ask:name?\\s"), [(b"bob\n", b"name? "), b"x"])
    assert run.out == screen(b"name? bob\ngot bob\n" + CLOSING)


def test_an_interrupt_at_the_prompt_restores_the_terminal(tarvix):
    run, restored = tarvix.in_terminal(child(), [b"\x03"])
    assert run.code == -signal.SIGINT and restored


def test_the_viewer_gets_the_terminal_and_nothing_else(tarvix):
    run, restored = tarvix.in_terminal(child(), [b"v"], {"RIVEZEVEVIVA": tarvix.viewer("first")})
    assert re.fullmatch(re.escape(screen(CLOSING)) + VIEWER_LINE + b"\r\n", run.out)
    assert run.out.endswith(b", terminal yes, 3 descriptors\r\n") and restored


def test_with_neither_variable_the_viewer_is_vi(tarvix):
    bin = tarvix.root / "bin"
    bin.mkdir()
    (bin / "vi").write_text(f'#!/bin/sh\nexec "{CHILD}" view:vi "$@"\n')
    (bin / "vi").chmod(0o755)
    run, _ = tarvix.in_terminal(child("out:logged\\n"), [b"v"],
                                {"PATH": f"{bin}:{os.environ['PATH']}"})
    assert (tarvix.seen / "vi").read_bytes() == b"logged\n"


def test_the_installed_utility_finds_its_catalog_from_any_directory(tmp_path):
    subprocess.run(["cmake", "--install", TARVIX.parent, "--prefix", tmp_path], check=True,
                   capture_output=True)
    env = {name: value for name, value in os.environ.items() if name != "NLSPATH"}
    run = subprocess.run([tmp_path / "bin/tarvix"], cwd="/", env=env, capture_output=True)
    assert run.returncode == 1 and b"\nUsage: tarvix <program>" in run.stdout
