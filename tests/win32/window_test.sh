#!/usr/bin/env bash
# The Win32 window under wine, driven through X as a person would: both
# passwords typed, a file named in the open-file dialog, Crypt pressed; then
# the exact bytes written, the controls locked while the completion message
# is up, Enter doing nothing, the About box (closed by Enter and by Ok),
# "Fileopen error" and Quit. A second run is given the encrypted file, under a
# Cyrillic name, as its argument, as "Open with" does; a Decrypt with a wrong
# PASSWORD-2 warns and leaves the fields open, one with the right passwords
# decrypts it, and Alt+F4 closes it. A third takes dropped files, shows a
# failed operation, refuses a press during a long run and cancels that run
# when closed. Before all that: both programs carry their manifest, and the
# status bar's own tests run on this X server.
# Usage: window_test.sh BRISOL_EXE PROBE_EXE FIXTURES_DIR STATUS_BAR_TESTS_EXE
set -euo pipefail
brisol=$1
probe_exe=$2
fixtures=$3
status_bar_tests=$4
. "$(dirname "$0")/wine_session.sh"

probe() { wine "$probe_exe" "$@" | tr -d '\r'; }
click() {  # TITLE ID
    local place
    place=$(probe place "$1" "$2") || fail "no control $2 in \"$1\""
    # shellcheck disable=SC2086
    xdotool mousemove $place click 1
}
# Waits for a window to appear and take the keyboard, so no key is lost.
wait_keyboard() {
    local id
    id=$(wait_window "$1")
    for _ in $(seq 300); do
        [ "$(probe foreground)" = "$1" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "\"$1\" did not get the keyboard"
}
# Waits up to 30 s for the controls' state, as a posted message may set it.
expect_enabled() {
    local state
    for _ in $(seq 300); do
        state=$(probe enabled)
        [ "$state" = "$1" ] && return 0
        sleep 0.1
    done
    fail "$2: controls are \"$state\", expected \"$1\""
}
# The message's first line; a Decrypt may add a hint about the content below.
# With "..." as the second argument, the first is only how the line begins
# (the system's own reason follows it).
expect_message() {
    wait_keyboard Brisol >/dev/null
    local text
    text=$(probe message | head -n 1)
    if [ "${2:-}" = ... ]; then
        [[ $text == "$1"?* ]] || fail "message \"$text\", expected \"$1...\""
    else
        [ "$text" = "$1" ] || fail "message \"$text\", expected \"$1\""
    fi
}
# Waits up to 30 s for the program to end, and for its status to be 0.
expect_exit() {
    for _ in $(seq 300); do
        kill -0 "$brisol_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$brisol_pid" 2>/dev/null && fail "the program is still running after $1"
    wait "$brisol_pid" || fail "the program exited with status $? after $1"
}
dismiss_message() {
    xdotool key Return
    wait_gone Brisol
}

for program in "$brisol" "$(dirname "$brisol")/brisol-cli.exe"; do
    manifest=$(probe manifest "$(winepath -w "$program")") || fail "no manifest in $program"
    for setting in 'level="asInvoker"' '>PerMonitorV2<' '>true/pm<' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
        grep -qF "$setting" <<<"$manifest" || fail "the manifest of $program lacks $setting"
    done
    ! grep -q activeCodePage <<<"$manifest" || fail "the manifest of $program sets a code page"
done

wine "$status_bar_tests" >"$work/status_bar_tests.log" 2>&1 ||
    { cat "$work/status_bar_tests.log"; fail "the status bar's tests failed"; }

# The fixture was encrypted by the Linux build under the same passwords.
folder=$WINEPREFIX/drive_c/Reports
mkdir -p "$folder"
seq 1 1000 >"$folder/report.txt"

wine "$brisol" &
brisol_pid=$!
wait_keyboard "BRISOL 3.0" >/dev/null
expect_enabled "101=1 102=1 320=1 201=1 202=0 203=0 204=1 2=1" "at start-up"

click "BRISOL 3.0" 201
wait_keyboard Open >/dev/null
xdotool key Escape
expect_message "Fileopen error"
expect_enabled "101=1 102=1 320=1 201=1 202=1 203=1 204=1 2=1" "after a cancelled choice"
dismiss_message

click "BRISOL 3.0" 101
xdotool type --delay 20 "first secret"
click "BRISOL 3.0" 102
xdotool type --delay 20 "second secret"
click "BRISOL 3.0" 201
wait_keyboard Open >/dev/null
xdotool type --delay 20 'C:\Reports\report.txt'
xdotool key Return
wait_gone Open

# Enter in a field starts nothing, even with a file chosen.
click "BRISOL 3.0" 102
xdotool key Return
sleep 0.5
! xdotool search --onlyvisible --name '^Brisol$' >/dev/null || fail "Enter showed a message"
[ ! -e "$folder/report.txt.bsl" ] || fail "Enter started Crypt"

click "BRISOL 3.0" 202
expect_message "Operation completed... OK"
expect_enabled "101=0 102=0 320=1 201=0 202=0 203=0 204=1 2=1" "once the operation is done"
cmp "$folder/report.txt.bsl" "$fixtures/report.txt.bsl" || fail "the encrypted file differs"
dismiss_message

for closing in "xdotool key Return" "click 'About Brisol' 303"; do
    click "BRISOL 3.0" 204
    wait_keyboard "About Brisol" >/dev/null
    xdotool key Escape
    sleep 0.5
    xdotool search --onlyvisible --name "^About Brisol\$" >/dev/null || fail "Escape closed the About box"
    eval "$closing"
    wait_gone "About Brisol"
done

click "BRISOL 3.0" 2
expect_exit Quit

# Wine takes the argument's characters from the locale's.
cyrillic=$WINEPREFIX/drive_c/Отчёты
mkdir -p "$cyrillic"
cp "$folder/report.txt.bsl" "$cyrillic/годовой отчёт.txt.bsl"
LC_ALL=C.UTF-8 wine "$brisol" 'C:\Отчёты\годовой отчёт.txt.bsl' &
brisol_pid=$!
wait_keyboard "BRISOL 3.0" >/dev/null
expect_enabled "101=1 102=1 320=1 201=1 202=1 203=1 204=1 2=1" "with a file as the argument"
click "BRISOL 3.0" 101
xdotool type --delay 20 "first secret"
click "BRISOL 3.0" 102
xdotool type --delay 20 "wrong secret"
click "BRISOL 3.0" 203
expect_message "Operation completed... OK"
probe message | grep -qF "can still be changed" || fail "the warning does not say the passwords can be changed"
expect_enabled "101=1 102=1 320=1 201=1 202=1 203=1 204=1 2=1" "after a Decrypt that warns"
dismiss_message
click "BRISOL 3.0" 102
xdotool key End
xdotool key --repeat 12 BackSpace
xdotool type --delay 20 "second secret"
click "BRISOL 3.0" 203
expect_message "Operation completed... OK"
expect_enabled "101=0 102=0 320=1 201=0 202=0 203=0 204=1 2=1" "after the right passwords"
cmp "$cyrillic/годовой отчёт.txt.bsl.src" "$folder/report.txt" || fail "decrypted file differs"
dismiss_message
xdotool key alt+F4
expect_exit Alt+F4

# A third run: files dropped onto the window, the last of them counting; a
# Crypt that fails shows why and locks nothing; during a long
# run a second press is refused, and closing the window cancels the run and
# leaves no output behind. The run is under way once its hidden output is.
wine "$brisol" &
brisol_pid=$!
main=$(wait_keyboard "BRISOL 3.0")
# Of several files dropped the last counts: the missing one.
# shellcheck disable=SC2046
/usr/bin/python3 "$(dirname "$0")/xdnd_drop.py" "$main" $(probe place "BRISOL 3.0" 204) \
    "$folder/report.txt" "$folder/absent.txt" || fail "the drop was not taken"
expect_enabled "101=1 102=1 320=1 201=1 202=1 203=1 204=1 2=1" "after a drop"
click "BRISOL 3.0" 101
xdotool type --delay 20 "first secret"
click "BRISOL 3.0" 102
xdotool type --delay 20 "second secret"
click "BRISOL 3.0" 202
expect_message 'Cannot open "C:\Reports\absent.txt": ' ...
expect_enabled "101=1 102=1 320=1 201=1 202=1 203=1 204=1 2=1" "after a failed operation"
dismiss_message

truncate -s 2G "$folder/long.bin"
click "BRISOL 3.0" 201
wait_keyboard Open >/dev/null
xdotool type --delay 20 'C:\Reports\long.bin'
xdotool key Return
wait_gone Open
click "BRISOL 3.0" 202
for _ in $(seq 300); do
    compgen -G "$folder/.brisol-*.tmp" >/dev/null && break
    sleep 0.1
done
compgen -G "$folder/.brisol-*.tmp" >/dev/null || fail "the long run did not start"
click "BRISOL 3.0" 203
expect_message "An operation is still running: wait for it to finish, then try again."
dismiss_message
wait_keyboard "BRISOL 3.0" >/dev/null
xdotool key alt+F4
expect_exit "closing during a run"
[ -z "$(find "$folder" -name 'long.bin?*' -o -name '.brisol-*')" ] || fail "a cancelled run left $(ls -A "$folder")"
echo "window test passed"
