#!/usr/bin/env bash
# The installer under wine: a silent install (/S) puts both programs, the
# README, the licence and the uninstaller under Program Files\Brisol, adds
# the Start-menu entry and makes .bsl files open with Brisol; the installed
# command line runs; a silent uninstall takes all of it away again. The zip
# holds the same files, its README with CR LF line ends.
# Usage: installer_test.sh INSTALLER
set -euo pipefail
installer=$1
. "$(dirname "$0")/wine_session.sh"

folder="$WINEPREFIX/drive_c/Program Files/Brisol"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Brisol.lnk"
installed=(brisol.exe brisol-cli.exe README.txt LICENSE.txt uninstall.exe)

# The default value of a key, or nothing when the key is not there.
registry_value() {
    wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'
}

# The zip beside it: the same programs and texts in one folder of its name.
archive=${installer%.exe}.zip
folder_name=$(basename "${installer%.exe}")
listed=$(cmake -E tar tf "$archive" | sort)
expected=$(printf '%s\n' "" brisol.exe brisol-cli.exe README.txt LICENSE.txt | sed "s|^|$folder_name/|" | sort)
[ "$listed" = "$expected" ] || fail "the zip holds: $listed"
(cd "$work" && cmake -E tar xf "$(realpath "$archive")" "$folder_name/README.txt")
readme=$work/$folder_name/README.txt
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has lines without CR LF"

wine "$installer" /S
wineserver -w
for name in "${installed[@]}"; do
    [ -f "$folder/$name" ] || fail "not installed: $name"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
[ "$(registry_value 'HKCR\.bsl')" = Brisol.EncryptedFile ] || fail ".bsl is not Brisol's"
command=$(registry_value 'HKCR\Brisol.EncryptedFile\shell\open\command')
[ "$command" = '"C:\Program Files\Brisol\brisol.exe" "%1"' ] || fail "open command: $command"
wine "$folder/brisol-cli.exe" --version | grep -q '3\.0' || fail "the installed brisol-cli does not run"

# The uninstaller copies itself away and goes on after wine returns.
wine "$folder/uninstall.exe" /S
wineserver -w
[ ! -e "$folder" ] || fail "Program Files\\Brisol is still there: $(ls "$folder")"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is still there"
[ -z "$(registry_value 'HKCR\Brisol.EncryptedFile')" ] || fail "the file type is still registered"
[ -z "$(registry_value 'HKCR\.bsl')" ] || fail ".bsl is still registered"
echo "installer test passed"
