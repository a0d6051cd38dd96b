"""imports.py OBJDUMP WIN95_KERNEL32_EXPORTS FILE... names what Windows 95 could not load: a PE OS
or subsystem version above 4.0, an import that its KERNEL32 does not export, or one not allowed
below (all in Windows 95's USER32 and Windows 98's msvcrt.dll; no other DLL is allowed)."""
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
    versions = re.findall(r"Major(\w+)Version\s+(\d+)\nMinor\1Version\s+(\d+)", dump)
    for kind, major, minor in versions:
        if kind in ("OSystem", "Subsystem") and (int(major), int(minor)) > (4, 0):
            faults.append(f"{file}: {kind} version {major}.{minor} is above 4.0")
    for dll, table in re.findall(r"\tDLL Name: (\S+)\n\tvma:.*\n((?:\t[0-9a-f]+\t.*\n)*)", dump):
        names = set(allowed.get(dll.upper(), "").split())
        faults += [f"{file}: {name} from {dll} is not known to load on Windows 95"
                   for name in re.findall(r"  (\S+)\n", table) if name not in names]
print("\n".join(faults) or f"{len(files)} files: nothing that Windows 95 cannot load")
sys.exit(bool(faults))
