#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Corvalen end to end, as a user drives it, on a private Xvfb: keys and
# clicks on the bars, Copy To Clipboard read back from the real X clipboard,
# About opened and closed with Esc, and Quit ending the program with status 0.
# Usage: e2e_corvalen.sh PATH/TO/corvalen
set -euo pipefail

program=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/x11-session.sh"

pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    x11_session_stop
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Centre of a control, in window pixels (twips / 15, as laid out).
click_at() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

x11_session_start
export LC_ALL=C QT_QPA_PLATFORM=xcb
"$program" &
pid=$!

main=$(wait_for_window Corvalen) || fail "the main window never showed"
[ "$(xdotool getwindowname "$main")" = Corvalen ] || fail "caption is '$(xdotool getwindowname "$main")'"
[ "$(window_size "$main")" = 471x282 ] || fail "client size is $(window_size "$main"), not 471x282"

# No window manager runs, so give the window the input focus as one would.
xdotool windowfocus --sync "$main"

# Source: 49 x Right from 1.00, then a click on the bar's right arrow.
xdotool key --delay 5 $(printf 'Right %.0s' $(seq 49))
click_at "$main" 220 72             # hsVSWR1's right arrow
# Load: Tab from the source bar, 9 x Page Up, then a click in the trough right of the thumb.
xdotool key Tab
xdotool key --delay 5 $(printf 'Prior %.0s' $(seq 9))
click_at "$main" 200 192            # hsVSWR2's trough, right of its thumb

click_at "$main" 80 256             # cmdCopy
expected=$(mktemp)
copied=$(mktemp)
trap 'rm -f "$expected" "$copied"; cleanup' EXIT
printf '%s\r\n' \
    "VSWR 1 (Source) = 1.50  Return Loss = 13.98 dB" \
    "VSWR 2 (Load) = 2.00  Return Loss = 9.54 dB" \
    "" \
    "Gamma 1 = 0.200" \
    "Gamma 2 = 0.333" \
    "" \
    "Maximum VSWR = 3.00" \
    "Combined Return Loss = 6.02 dB" \
    "" \
    "Plus Uncertainty = 0.561 dB" \
    "Minus Uncertainty = -0.599 dB" \
    "" \
    "Mismatch Loss @ Load = 0.51 dB" \
    "" >"$expected"
timeout 10 xclip -o -selection clipboard >"$copied" || fail "nothing could be read from the clipboard"
if ! cmp -s "$expected" "$copied"; then
    echo "clipboard holds:" >&2
    od -c "$copied" >&2
    fail "the clipboard report differs from the expected bytes"
fi

# About: modal over the main window, closed with Esc.
click_at "$main" 392 256            # cmdAbout
about=$(wait_for_window About) || fail "the About window never showed"
[ "$(window_size "$about")" = 377x207 ] || fail "About client size is $(window_size "$about")"
click_at "$main" 200 256            # cmdQuit, which the modal window must swallow
sleep 0.3
kill -0 "$pid" 2>/dev/null || fail "Quit was pressed through the modal About window"
xdotool windowfocus --sync "$about"
xdotool key Escape
wait_for_no_window About || fail "Esc did not close the About window"

click_at "$main" 200 256            # cmdQuit
status=$(wait_for_exit "$pid" 10) || fail "the program did not end after Quit"
pid=
[ "$status" = 0 ] || fail "exit status $status"
echo "PASS"
