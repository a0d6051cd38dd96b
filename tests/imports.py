"""imports.py OBJDUMP WIN95_KERNEL32_EXPORTS FILE... names what Windows 95 could not load: a PE OS
or subsystem version above 4.0, an import that its KERNEL32 does not export, or one not allowed
below (all in Windows 95's USER32 and Windows 98's msvcrt.dll; no other DLL is allowed). What it
cannot read fails too: a missing version, an import table it cannot parse, an executable without
a KERNEL32 table."""
import re, subprocess, sys

objdump, kernel32, *files = sys.argv[1:]
allowed = {"KERNEL32.DLL": open(kernel32).read(), "USER32.DLL": "LoadStringA MessageBoxA",
           "MSVCRT.DLL": """__getmainargs __initenv __mb_cur_max __p__acmdln __p__commode
    __p__fmode __set_app_type __setusermatherr _amsg_exit _cexit _close _errno _initterm _iob _lock
    _onexit _read _unlock abort atoi calloc exit fflush fprintf fputc fputs free fwrite getenv
    localeconv malloc memchr memcmp memcpy memmove memset realloc setlocale setvbuf signal strchr
    strcmp strerror strlen strncmp vfprintf wcslen"""}
faults = []
for file in files:
    dump = subprocess.run([objdump, "-p", file], capture_output=True, text=True, check=True).stdout
    versions = {kind: (int(major), int(minor)) for kind, major, minor in
                re.findall(r"Major(\w+)Version\s+(\d+)\nMinor\1Version\s+(\d+)", dump)}
    for kind in ("OSystem", "Subsystem"):
        if kind not in versions:
            faults.append(f"{file}: no {kind} version found")
        elif versions[kind] > (4, 0):
            faults.append(f"{file}: {kind} version %d.%d is above 4.0" % versions[kind])
    tables = re.findall(r"\tDLL Name: (\S+)\n\tvma:.*\n((?:\t[0-9a-f]+\t.*\n)+)", dump)
    if len(tables) != dump.count("\tDLL Name: "):
        faults.append(f"{file}: an import table that could not be read")
    if file.endswith(".exe") and "KERNEL32.DLL" not in (dll.upper() for dll, _ in tables):
        faults.append(f"{file}: no KERNEL32 import table found")
    for dll, table in tables:
        names = set(allowed.get(dll.upper(), "").split())
        faults += [f"{file}: {name} from {dll} is not known to load on Windows 95"
                   for name in re.findall(r"  (\S+)\n", table) if name not in names]
print("\n".join(faults) or f"{len(files)} files: nothing that Windows 95 cannot load")
sys.exit(bool(faults))
