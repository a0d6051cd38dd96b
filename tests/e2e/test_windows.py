"""What only Windows, here wine, can show: the platform check, and a key typed on a console."""
import re
import subprocess
import time

import pytest

from conftest import LIBRARY, PROMPT, RUNNER, child, echoed


@pytest.mark.parametrize("version, runs", [("win95", True), ("win98", True), ("win31", False)])
def test_the_windows_95_and_nt_families_run_and_win32s_is_refused(tarvix, version, runs):
    # wine reports the version that an AppDefaults key names for executables of that name:
    # win95 and win98 are the Windows 95 family (platform 1), win31 is Win32s (platform 0).
    name = f"tarvix-{version}.exe"
    subprocess.run(RUNNER + ["reg", "add", rf"HKCU\Software\Wine\AppDefaults\{name}", "/v",
                             "Version", "/d", version, "/f"], check=True, capture_output=True)
    tarvix.copy(name, LIBRARY)
    run = tarvix.run(child("out:started\\n"))
    assert (run.code, run.echo) == ((0, echoed(b"started\n")) if runs else (1, b""))
    assert not any(tarvix.temp.iterdir())


def on_screen(screen):
    """What wine's console shows, less its ANSI sequences and the blanks it draws as moves."""
    return re.sub(rb"\x1b\[[0-9;?]*[a-zA-Z]|[ \r]", b"", bytes(screen))


def prompt_shown(screen):
    if PROMPT.replace(b" ", b"") not in on_screen(screen):
        return False
    # The console mode cannot be seen from here (wine keeps the terminal raw throughout), and a
    # key typed before the utility has set it is echoed, as typed-ahead keys are on Windows.
    time.sleep(0.5)
    return True


def test_a_key_on_a_console_needs_no_enter_and_is_not_echoed(tarvix):
    run, _ = tarvix.in_terminal(child("out:hello\\n"), [(b"x", prompt_shown)])
    assert run.code == 0
    lines = on_screen(run.out).rstrip(b"\n").split(b"\n")
    assert b"Erroroccured" not in run.out, "the console-mode calls work on a console"
    assert lines[0] == b"hello" and lines[-1] == PROMPT.replace(b" ", b""), "nothing after"
