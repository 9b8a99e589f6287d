#!/usr/bin/env bash
# The Win32 main window under wine with a Cyrillic file name in its status
# bar, saved as PNG pictures at 96 and 144 dots per inch (100 % and 150 %).
# Wine reads the DPI when its server starts, so each picture has its own.
# Usage: window_screenshot.sh BRISOL_EXE PICTURE_96 PICTURE_144
set -euo pipefail
brisol=$1
. "$(dirname "$0")/wine_session.sh"

folder="$WINEPREFIX/drive_c/Users/Public/Документы/Отчёты за 2024 год"
mkdir -p "$folder"
seq 1 1000 >"$folder/годовой отчёт.txt"
for shot in "96 $2" "144 $3"; do
    read -r dpi picture <<<"$shot"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
    # Wine takes the argument's characters from the locale's.
    LC_ALL=C.UTF-8 wine "$brisol" 'C:\Users\Public\Документы\Отчёты за 2024 год\годовой отчёт.txt' &
    brisol_pid=$!
    window=$(wait_window "BRISOL 3.0")
    sleep 3  # until it is drawn
    import -window "$window" "$picture"
    wineserver -k
    wait "$brisol_pid" || true
done
