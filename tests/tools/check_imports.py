#!/usr/bin/env python3
"""check_imports.py OBJDUMP EXE FLOOR DATA_DIR

Holds the program to the oldest Windows it must start on. Fails when the
executable imports a function that DATA_DIR/table.txt does not list, one
whose level there is younger than FLOOR, an import by ordinal, or when its
PE header asks for a newer system than FLOOR. Each level in the table is
checked against the export lists in DATA_DIR/exports/ as well; so are the
file's hardening flags, its debug link and where its libraries come from.
"""
import os
import re
import subprocess
import sys

LEVELS = ["95", "98", "2000", "XP", "2003", "Vista"]
# Libraries Windows always takes from the system folder: the KnownDLLs, what
# they import (msvcrt, and comctl32 before XP), and comctl32 through the
# manifest. Any other would be looked for beside the program first.
SYSTEM_ONLY = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "oleaut32.dll", "msvcrt.dll", "comctl32.dll"}
# The system version a PE header may ask for at each floor.
HEADER_VERSION = {"95": (4, 0), "2003": (5, 2)}


def imports_of(objdump, exe):
    text = subprocess.run([objdump, "-p", "-h", exe], check=True, capture_output=True, text=True).stdout
    arch = "x86_64" if re.search(r"^Magic\s+020b", text, re.M) else "i386"
    versions = {k: int(v) for k, v in re.findall(r"^(Major\w+Version|Minor\w+Version)\s+(\d+)", text, re.M)}
    versions["DllCharacteristics"] = int(re.search(r"^DllCharacteristics\s+([0-9a-f]+)", text, re.M).group(1), 16)
    versions["sections"] = re.findall(r"^\s*\d+\s+(\.\S+)\s+[0-9a-f]{8}", text, re.M)
    found, dll = [], None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)", line)
        if dll and m:
            found.append((dll, m.group(1)))
        elif dll and re.match(r"\t[0-9a-f]+\t\s*\d+\s*$", line):
            found.append((dll, "<ordinal>"))
    return arch, versions, found


def read_table(path):
    table = {}
    for n, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        dll, name, level = line.split("\t")
        if level not in LEVELS:
            sys.exit(f"{path}:{n}: unknown level {level}")
        table[(dll.lower(), name)] = level
    return table


def read_exports(folder, dll, arch):
    """name -> 'nt5' or 'vista+' on this architecture; None when there is no list."""
    base = os.path.join(folder, dll[:-4] if dll.endswith(".dll") else dll)
    if not os.path.exists(base + ".txt"):
        return None
    names = {}
    for line in open(base + ".txt", encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            name, level = line.split()[:2]
            names[name] = level
    if os.path.exists(base + ".arch.txt"):
        for line in open(base + ".arch.txt", encoding="utf-8"):
            if line.strip() and not line.startswith("#"):
                name, a, level = line.split()[:3]
                if a == arch:
                    if level == "absent":
                        names.pop(name, None)
                    else:
                        names[name] = level
    return names


def main():
    objdump, exe, floor, data = sys.argv[1:5]
    arch, versions, found = imports_of(objdump, exe)
    table = read_table(os.path.join(data, "table.txt"))
    problems = []

    want = HEADER_VERSION[floor]
    for kind in ("OSystem", "Subsystem"):
        got = (versions.get(f"Major{kind}Version", 99), versions.get(f"Minor{kind}Version", 99))
        if got > want:
            problems.append(f"the PE header asks for {kind} version {got[0]}.{got[1]}, newer than {want[0]}.{want[1]}")

    # DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE; HIGH_ENTROPY_VA on x64.
    flags = 0x8140 | (0x20 if arch == "x86_64" else 0)
    if versions["DllCharacteristics"] & flags != flags:
        problems.append(f"DllCharacteristics {versions['DllCharacteristics']:04x} lacks {flags:04x}")
    debug = [n for n in versions["sections"] if n.startswith(".debug")]
    if debug or ".gnu_debuglink" not in versions["sections"]:
        problems.append(f"debug sections {debug} shipped, or no link to the debug file")

    for dll in sorted({d for d, _ in found} - SYSTEM_ONLY):
        problems.append(f"{dll}: imported, so Windows would take a file of that name beside the program; "
                        "load it from the system folder at run time")

    lists = {}
    for dll, name in found:
        level = table.get((dll, name))
        if level is None:
            problems.append(f"{dll} {name}: not in the table (add it with the oldest Windows that exports it)")
            continue
        if LEVELS.index(level) > LEVELS.index(floor):
            problems.append(f"{dll} {name}: {level} is younger than this build's floor {floor}; look it up at run time")
        if dll not in lists:
            lists[dll] = read_exports(os.path.join(data, "exports"), dll, arch)
        exports = lists[dll]
        if exports is None:
            problems.append(f"{dll}: no export list to check against")
        elif name not in exports:
            problems.append(f"{dll} {name}: not exported on {arch} by the XP/Server 2003 level lists")
        elif exports[name] == "vista+" and LEVELS.index(level) < LEVELS.index("Vista"):
            problems.append(f"{dll} {name}: the export lists say Vista or later, the table {level}")

    print(f"{exe}: {len(found)} imports from {len({d for d, _ in found})} DLLs, {arch}, floor {floor}")
    for p in problems:
        print("  " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
