#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Corvalen end to end, as a user drives it, on a private Xvfb with or without a
# window manager: keys and clicks on the bars, Copy To Clipboard read back from
# the real X clipboard, both windows centred counting their frames, About modal
# over the main window, closing, and the program ending with status 0.
# Usage: e2e_corvalen.sh PATH/TO/corvalen LOCALE [openbox]
set -euo pipefail
program=$1 locale=$2 wm=${3:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/x11-session.sh"

fail() { echo "FAIL ($locale ${wm:-no window manager}): $*" >&2; exit 1; }
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# Centres of two frames ("X Y W H" each) at most 2 px apart on each axis.
centred_on() {
    echo "$(frame_geometry "$1") $2" | awk '{ exit !((2*$1 + $3 - 2*$5 - $7)^2 <= 16 && (2*$2 + $4 - 2*$6 - $8)^2 <= 16) }'
}

end_to_end_start $wm
LC_ALL=$locale QT_QPA_PLATFORM=xcb "$program" &
pid=$!

main=$(wait_for_window Corvalen 20) || fail "the main window never showed; program $(kill -0 "$pid" && echo running || echo ended), windows: $(window_names)"
[ "$(window_size "$main")" = 471x282 ] || fail "client size is $(window_size "$main"), not 471x282"
poll_until 5 centred_on "$main" "0 0 1024 768" || fail "main window at $(frame_geometry "$main") is not centred"
if [ -n "$wm" ]; then
    actions=$(xprop -id "$main" _NET_WM_ALLOWED_ACTIONS)
    [[ $actions == *MINIMIZE* && $actions != *RESIZE* && $actions != *MAXIMIZE* ]] || fail "$actions"
fi

xdotool windowfocus --sync "$main"
# Source: 49 x Right from 1.00, then a click on the bar's right arrow.
xdotool key --delay 5 $(printf 'Right %.0s' $(seq 49))
click_at "$main" 220 72             # hsVSWR1's right arrow
# Load: Tab from the source bar, 9 x Page Up, then a click in the trough right of the thumb.
xdotool key Tab
xdotool key --delay 5 $(printf 'Prior %.0s' $(seq 9))
click_at "$main" 200 192            # hsVSWR2's trough, right of its thumb

click_at "$main" 80 256             # cmdCopy
mark=.
[[ $locale == de_* ]] && mark=,
printf '%s\r\n' \
    "VSWR 1 (Source) = 1.50  Return Loss = 13.98 dB" \
    "VSWR 2 (Load) = 2.00  Return Loss = 9.54 dB" "" \
    "Gamma 1 = 0.200" "Gamma 2 = 0.333" "" \
    "Maximum VSWR = 3.00" "Combined Return Loss = 6.02 dB" "" \
    "Plus Uncertainty = 0.561 dB" "Minus Uncertainty = -0.599 dB" "" \
    "Mismatch Loss @ Load = 0.51 dB" "" | tr . "$mark" >"$work/expected"
if ! poll_until 10 clipboard_holds "$work/expected"; then
    timeout 2 xclip -o -selection clipboard | od -c >&2 || true
    fail "the clipboard does not hold the expected report (above)"
fi

click_at "$main" 392 256            # cmdAbout
about=$(wait_for_window About) || fail "the About window never showed"
[ "$(window_size "$about")" = 377x207 ] || fail "About client size is $(window_size "$about")"
poll_until 5 centred_on "$about" "$(frame_geometry "$main")" \
    || fail "About at $(frame_geometry "$about") is not centred over $(frame_geometry "$main")"
click_at "$main" 200 256            # cmdQuit, which the modal window must swallow
sleep 0.3
kill -0 "$pid" 2>/dev/null || fail "Quit was pressed through the modal About window"
if [ -n "$wm" ]; then
    wmctrl -i -c "$about"
else
    xdotool windowfocus --sync "$about" key Escape
fi
wait_for_no_window About || fail "About did not close"
kill -0 "$pid" 2>/dev/null || fail "closing About ended the program"

if [ -n "$wm" ]; then wmctrl -i -c "$main"; else click_at "$main" 200 256; fi
wait_for_exit "$pid" 10 || fail "the program did not end"
pid=
[ "$exit_status" = 0 ] || fail "exit status $exit_status"
echo "PASS ($locale ${wm:-no window manager})"
