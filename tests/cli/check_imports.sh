#!/bin/sh
# check_imports.sh OBJDUMP PROGRAM.exe: fails when the program imports a DLL
# that is not part of Windows itself (a C++ or threads runtime left dynamic).
set -eu
imports=$("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no imports found in $2" >&2; exit 1; }
status=0
for dll in $imports; do
    case "$dll" in
        kernel32.dll | user32.dll | gdi32.dll | shell32.dll | advapi32.dll | msvcrt.dll | ntdll.dll | \
            ole32.dll | comctl32.dll | comdlg32.dll | shlwapi.dll | bcrypt.dll | uxtheme.dll) ;;
        *) echo "$2 imports $dll, which Windows does not have" >&2; status=1 ;;
    esac
done
exit $status
