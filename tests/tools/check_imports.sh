#!/usr/bin/env bash
# check_imports.sh OBJDUMP EXE: the program may import system DLLs only,
# never a compiler runtime (libstdc++, libgcc, libwinpthread).
set -euo pipefail
dlls=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "$2 imports:" $dlls
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|shell32|ole32|oleaut32|wsock32|netapi32|winspool\.drv|msvcrt)(\.dll)?$'
bad=$(echo "$dlls" | grep -vE "$allowed" || true)
if [ -n "$bad" ]; then echo "unexpected imports: $bad"; exit 1; fi
