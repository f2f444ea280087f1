#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Corvalen Sweep end to end under openbox, as a user drives it: started with
# two files, the keyboard taken to the plot, the cursor stepped, the readout
# copied and read back from the real X clipboard, and Ctrl+Q ending the
# program with status 0.
# Usage: e2e_sweep.sh PATH/TO/corvalen-sweep FOLDER_OF_THE_TEST_FILES
set -euo pipefail
program=$1 files=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/x11-session.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }

end_to_end_start openbox
# Its own settings folder: nothing remembered from another run, nothing left for one.
XDG_CONFIG_HOME=$work LC_ALL=C QT_QPA_PLATFORM=xcb "$program" "$files/source.s1p" "$files/load.s1p" &
pid=$!
window=$(wait_for_window "Corvalen Sweep" 20) || fail "the window never showed: $(window_names)"
xdotool windowfocus --sync "$window"
# From the source's input to the plot: its Open button, the two-port's input,
# Reversed and Open, Add two-port, the load's input and Open, Z0, the band's
# From, To and Reset.
xdotool key --delay 20 $(printf 'Tab %.0s' $(seq 12))
# The sweep is computed off the interface thread: once it has come, the
# readout copied is at the widest limits, 1.75 GHz, where the cursor starts.
poll_until 10 eval 'xdotool key ctrl+c; timeout 2 xclip -o -selection clipboard | head -n1 | tr -d "\\r" | grep -qx "Frequency: 1.75 GHz"' \
    || fail "the readout copied at the start is: $(timeout 2 xclip -o -selection clipboard | head -n1)"
# The cursor starts at the widest limits, 1.75 GHz; Right takes it to 2 GHz, the last point.
xdotool key Right ctrl+c
poll_until 10 eval 'timeout 2 xclip -o -selection clipboard | head -n1 | tr -d "\\r" | grep -qx "Frequency: 2 GHz"' \
    || fail "after Right the readout copied is: $(timeout 2 xclip -o -selection clipboard | head -n1)"
# Home: the first point, whose row `corvalen-cli sweep source.s1p load.s1p` prints as
# 1000000000 1.2222 20.0000 2.3333 7.9588 0.7572 2.8519 6.3613 0.3407 -0.3546 -0.3546 and no standard
# uncertainty, the error being measured.
xdotool key Home ctrl+c
printf '%s\r\n' "Frequency: 1 GHz" "Source VSWR: 1.2222" "Source return loss: 20.0000 dB" "Source |G|: 0.1000" \
    "Load VSWR: 2.3333" "Load return loss: 7.9588 dB" "Load |G|: 0.4000" "Load mismatch loss: 0.7572 dB" \
    "Maximum VSWR: 2.8519" "Combined return loss: 6.3613 dB" "Uncertainty, plus: 0.3407 dB" \
    "Uncertainty, minus: -0.3546 dB" "Mismatch error: -0.3546 dB" "Standard uncertainty: none" >"$work/expected"
if ! poll_until 10 clipboard_holds "$work/expected"; then
    timeout 2 xclip -o -selection clipboard | od -c | head -20 >&2 || true
    fail "the clipboard does not hold the readout at 1 GHz (above)"
fi

xdotool key ctrl+q
wait_for_exit "$pid" 10 || fail "Ctrl+Q did not end the program"
pid=
[ "$exit_status" -eq 0 ] || fail "the program ended with status $exit_status"
echo "Corvalen Sweep driven end to end"
