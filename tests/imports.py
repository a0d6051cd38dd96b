"""imports.py OBJDUMP WIN95_KERNEL32_EXPORTS FILE... names what Windows 95 could not load: an OS or
subsystem version above 4.0, an import its KERNEL32 lacks, or one not allowed below (in Windows
95's USER32 and Windows 98's msvcrt.dll; no other DLL). A dump it cannot read in full fails."""
import re, subprocess, sys

objdump, kernel32, *files = sys.argv[1:]
allowed = {"KERNEL32.DLL": open(kernel32).read(), "USER32.DLL": "LoadStringA MessageBoxA",
           "MSVCRT.DLL": """__doserrno __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode
    __p__fmode __set_app_type __setusermatherr _amsg_exit _cexit _close _errno _fileno _initterm
    _iob _lock _onexit _read _setmode _unlock abort atoi calloc exit fflush fprintf fputc fputs free
    fwrite getenv localeconv malloc memchr memcmp memcpy memmove memset realloc setlocale setvbuf
    signal strchr strcmp strerror strlen strncmp vfprintf wcslen"""}
faults = []
for file in files:
    dump = subprocess.run([objdump, "-p", file], capture_output=True, text=True, check=True).stdout
    versions = {kind: (int(major), int(minor)) for kind, major, minor in
                re.findall(r"Major(\w+)Version\s+(\d+)\nMinor\1Version\s+(\d+)", dump)}
    faults += [f"{file}: {kind} version {versions.get(kind, 'missing')}, not 4.0 or below"
               for kind in ("OSystem", "Subsystem") if versions.get(kind, (9, 9)) > (4, 0)]
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
