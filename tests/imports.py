"""Fails, naming the culprit, where Windows 95 could not load the 32-bit build: a PE header that
asks for an OS or subsystem version above 4.0, an import from a DLL other than KERNEL32, USER32
and msvcrt, a KERNEL32 function that Windows 95's KERNEL32 does not export, or a USER32 or msvcrt
function missing from win95-imports.txt beside this script.
    imports.py OBJDUMP WIN95_KERNEL32_EXPORTS FILE..."""
import re
import subprocess
import sys
from pathlib import Path

objdump, kernel32, *files = sys.argv[1:]
allowed = {"KERNEL32.DLL": set(Path(kernel32).read_text().split())}
for line in (Path(__file__).parent / "win95-imports.txt").read_text().splitlines():
    if line and not line.startswith("#"):
        dll, names = line.split(":")
        allowed.setdefault(dll.upper(), set()).update(names.split())

faults = []
for file in files:
    dump = subprocess.run([objdump, "-p", file], capture_output=True, text=True, check=True).stdout
    for kind in ("OSystem", "Subsystem"):
        version = tuple(int(re.search(rf"{part}{kind}Version\s+(\d+)", dump)[1])
                        for part in ("Major", "Minor"))
        if version > (4, 0):
            faults.append(f"{file}: {kind} version {version[0]}.{version[1]} is above 4.0")
    dll = None
    for line in dump.splitlines():
        if found := re.match(r"\tDLL Name: (\S+)", line):
            dll = found[1].upper()
            if dll not in allowed:
                faults.append(f"{file}: imports from {found[1]}")
        elif dll and (found := re.match(r"\t[0-9a-f]+\t +\d+  (\S+)", line)):
            if found[1] not in allowed.get(dll, ()):
                faults.append(f"{file}: {found[1]} from {dll} is not known to load on Windows 95")
print("\n".join(faults) or f"{len(files)} files: nothing that Windows 95 cannot load")
sys.exit(bool(faults))
