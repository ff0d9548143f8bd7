#!/usr/bin/env python3
"""Checks that a program imports no system function newer than Windows 7.

    check_imports.py EXE [--cxx COMPILER]

A function that a newer Windows added is a missing import on an older one,
and the loader then refuses to start the program at all. The MinGW-w64
headers declare each function only for the Windows versions that have it,
so every function the program imports (the C runtime's aside) is looked up
in those headers as a program for Windows 7 sees them. Prints the imports
that only a newer Windows declares, and those no header declares at all,
and exits with 1 when there are any.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

HEADERS = """
#include <windows.h>
#include <commctrl.h>
#include <dbghelp.h>
#include <dwmapi.h>
#include <objbase.h>
#include <oleauto.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>
#include <uxtheme.h>
#include <winhttp.h>
#include <gdiplus.h>
"""

# The C runtime of MinGW-w64 is the system's msvcrt.dll, present on every
# version; its functions are the compiler's business, not the program's.
RUNTIME_DLLS = {"msvcrt.dll"}
WINDOWS_7 = ["-D_WIN32_WINNT=0x0601", "-DWINVER=0x0601", "-DNTDDI_VERSION=0x06010000"]
NEWEST = ["-D_WIN32_WINNT=0x0A00", "-DWINVER=0x0A00", "-DNTDDI_VERSION=0x0A000006"]


def imports(exe, objdump):
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    found, dll = [], None
    for line in text.splitlines():
        match = re.match(r"\s*DLL Name:\s*(\S+)", line)
        if match:
            dll = match.group(1).lower()
            continue
        match = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)\s*$", line)
        if match and dll and dll not in RUNTIME_DLLS:
            found.append((dll, match.group(1)))
    return found


def undeclared(names, cxx, version):
    """The names that the headers do not declare for the given Windows."""
    body = HEADERS + "namespace probe {\nusing namespace Gdiplus;\nusing namespace Gdiplus::DllExports;\n"
    body += "".join(f"const void* const p{i} = reinterpret_cast<const void*>(&{name});\n"
                    for i, name in enumerate(names))
    body += "}\n"
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "probe.cpp")
        with open(source, "w") as f:
            f.write(body)
        result = subprocess.run([cxx, "-std=c++20", "-fsyntax-only", "-fmax-errors=0", "-DUNICODE", "-D_UNICODE",
                                 *version, source], capture_output=True, text=True)
    missing = set()
    for match in re.finditer(r"probe\.cpp:(\d+):\d+: error:", result.stderr):
        line = int(match.group(1))
        first = body.count("\n", 0, body.index("const void* const p0")) + 1
        if line >= first and line - first < len(names):
            missing.add(names[line - first])
    return missing


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("--cxx", default="i686-w64-mingw32-g++-posix")
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    args = parser.parse_args()

    found = imports(args.exe, args.objdump)
    names = sorted({name for _, name in found})
    too_new = undeclared(names, args.cxx, WINDOWS_7)
    unknown = undeclared(sorted(too_new), args.cxx, NEWEST)
    problems = 0
    for dll, name in found:
        if name in unknown:
            print(f"{dll}: {name}: declared by no header, so its Windows version is unknown")
            problems += 1
        elif name in too_new:
            print(f"{dll}: {name}: newer than Windows 7")
            problems += 1
    print(f"{len(found)} imported functions from {len({d for d, _ in found})} libraries checked; {problems} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
