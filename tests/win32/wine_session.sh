# Sourced by the window and installer tests: a wine prefix and an X server of
# this run's own, both removed on exit. Without a window manager, wine must
# not wait for one (Managed=N); wine's own fonts stand in for the system's.
# Afterwards: $work (scratch folder), $WINEPREFIX, $DISPLAY, and fail MESSAGE.

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb_pid=

end_session() {
    wineserver -k 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap end_session EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Xvfb picks a free display and writes its number to the descriptor given.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

wineboot --init >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
cp -L /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"

# Waits up to 90 s for a visible window of exactly this title; prints its id.
# A search fails outright when a window it is looking at goes away meanwhile,
# as wine's short-lived windows do, so it is repeated rather than trusted.
wait_window() {
    local id
    for _ in $(seq 900); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no window \"$1\""
}

# Waits up to 30 s for no visible window of this title to be left.
wait_gone() {
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window \"$1\" is still open"
}
