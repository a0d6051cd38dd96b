"""What only wine can show: the platform check, for real."""
import subprocess

import pytest

from conftest import LIBRARY, RUNNER, TARVIX, child, echoed


# wine reports the version that an AppDefaults key names for executables of that name: win95
# and win98 are the Windows 95 family (platform 1), win31 is Win32s (platform 0).
@pytest.mark.parametrize("version, runs", [("win95", True), ("win98", True), ("win31", False)])
def test_the_windows_95_and_nt_families_run_and_win32s_is_refused(tarvix, version, runs):
    name = f"tarvix-{version}.exe"
    subprocess.run(RUNNER + ["reg", "add", rf"HKCU\Software\Wine\AppDefaults\{name}", "/v",
                             "Version", "/d", version, "/f"], check=True, capture_output=True)
    tarvix.copy(name, TARVIX.parent / LIBRARY)
    run = tarvix.run(child("out:started\\n"))
    assert (run.code, run.echo) == ((0, echoed(b"started\n")) if runs else (1, b""))
    assert not any(tarvix.temp.iterdir())
