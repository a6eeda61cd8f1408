"""Each Windows program imports only DLLs that Windows itself ships: the C++
runtime, libgcc and winpthreads are linked in, so the .exe runs on a bare
system.

Usage: check_imports.py OBJDUMP PROGRAM.exe...
"""
import re
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comdlg32.dll", "comctl32.dll", "msvcrt.dll", "ucrtbase.dll",
    "ws2_32.dll", "bcrypt.dll", "shlwapi.dll", "version.dll", "ntdll.dll",
}


def imports(objdump, program):
    text = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                          text=True).stdout
    return re.findall(r"DLL Name: (\S+)", text)


def main():
    objdump, programs = sys.argv[1], sys.argv[2:]
    failed = False
    for program in programs:
        dlls = imports(objdump, program)
        foreign = [d for d in dlls
                   if d.lower() not in SYSTEM_DLLS and not d.lower().startswith("api-ms-win-")]
        print(f"{program}: {' '.join(dlls)}")
        if not dlls or foreign:
            print(f"  not a system DLL: {' '.join(foreign) or '(no imports read)'}")
            failed = True
    sys.exit(1 if failed else 0)


main()
