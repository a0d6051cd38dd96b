"""Fails, naming the culprit, where Windows 95 could not load the 32-bit build: an OS or subsystem
version above 4.0 in a PE header, an import from a DLL other than KERNEL32, USER32 and msvcrt, a
KERNEL32 function that Windows 95's KERNEL32 does not export, or a USER32 or msvcrt function not
allowed below (each exists in Windows 95's USER32 and in the msvcrt.dll of Windows 98).
    imports.py OBJDUMP WIN95_KERNEL32_EXPORTS FILE..."""
import re, subprocess, sys

objdump, kernel32, *files = sys.argv[1:]
allowed = {"KERNEL32.DLL": open(kernel32).read(), "USER32.DLL": "LoadStringA MessageBoxA",
           "MSVCRT.DLL": """__getmainargs __initenv __mb_cur_max __p__acmdln __p__commode
    __p__fmode __set_app_type __setusermatherr _amsg_exit _cexit _close _errno _initterm _iob _lock
    _onexit _read _unlock abort atoi calloc exit fflush fprintf fputc fputs free fwrite getenv
    localeconv malloc memchr memcmp memcpy memmove memset realloc setlocale setvbuf signal strchr
    strcmp strerror strlen strncmp vfprintf wcslen"""}
allowed = {dll: set(names.split()) for dll, names in allowed.items()}
faults = []
for file in files:
    dump = subprocess.run([objdump, "-p", file], capture_output=True, text=True, check=True).stdout
    for kind in ("OSystem", "Subsystem"):
        version = [re.search(rf"{part}{kind}Version\s+(\d+)", dump)[1]
                   for part in ("Major", "Minor")]
        if (int(version[0]), int(version[1])) > (4, 0):
            faults.append(f"{file}: {kind} version {'.'.join(version)} is above 4.0")
    dll = None
    for line in dump.splitlines():
        if found := re.match(r"\tDLL Name: (\S+)", line):
            dll = found[1].upper()
            faults += [] if dll in allowed else [f"{file}: imports from {found[1]}"]
        elif dll in allowed and (found := re.match(r"\t[0-9a-f]+\t +\d+  (\S+)", line)):
            if found[1] not in allowed[dll]:
                faults.append(f"{file}: {found[1]} from {dll} is not known to load on Windows 95")
print("\n".join(faults) or f"{len(files)} files: nothing that Windows 95 cannot load")
sys.exit(bool(faults))
