#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Peak memory of Corvalen Sweep against corvalen-cli's sweep of the same two
# noisy one-port files (bench/plot_vs_skrf.py's: |G| about 0.3 with 0.002 of
# noise, the phase turning a few times across the band). The window runs as a
# user starts it, on a private Xvfb: started with the files, shown, its first
# complete frame painted (both charts carry the cursor's colour), then Ctrl+Q.
# Peaks are the kernel's maximum resident set (/usr/bin/time %M), in
# alternating runs; medians in MiB and their difference (target: at most 40 MiB
# above the CLI). Not a test.
# Usage: bench/sweep_window_memory.sh [POINTS [RUNS]]   (default 100001 points, 5 runs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVALEN_BUILD_DIR:-$root/build}
points=${1:-100001}
runs=${2:-5}
. "$root/scripts/lib/x11-session.sh"

cli=$build/cli/corvalen-cli
sweep=$build/sweepwindow/corvalen-sweep

trap 'x11_session_stop' EXIT
x11_session_start
files=$x11_session_dir/files
mkdir "$files"
/usr/bin/python3 "$root/bench/plot_vs_skrf.py" --write-files "$files/source.s1p" "$files/load.s1p" "$points"
export LC_ALL=C QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$x11_session_dir

# Pixels of the cursor's colour (kCursor in plot/palette.h) in the left (plot) and right (Smith
# chart) halves of the window; both non-zero once the sweep is drawn.
cursor=$(sed -n 's/.*kCursor(0x\(..\), 0x\(..\), 0x\(..\)).*/#\1\2\3/p' "$root/plot/palette.h")
frame_complete() {
    local halves
    halves=$(import -silent -window "$1" png:- 2>/dev/null | convert png:- -crop 50%x100% +repage \
        -fill black +opaque "$cursor" -fill white -opaque "$cursor" -format '%[fx:mean*w*h] ' info:)
    awk '{ exit !($1 > 0 && $2 > 0) }' <<<"$halves"
}

window_peak_kb() {
    local window pid
    /usr/bin/time -f %M -o "$files/peak" "$sweep" "$files/source.s1p" "$files/load.s1p" 2>/dev/null &
    pid=$!
    window=$(wait_for_window "Corvalen Sweep" 60) || { echo "no window" >&2; return 1; }
    poll_until 120 frame_complete "$window" || { echo "the charts were never drawn" >&2; return 1; }
    xdotool windowfocus --sync "$window" key ctrl+q
    wait "$pid"
    cat "$files/peak"
}

cli_peak_kb() {
    /usr/bin/time -f %M -o "$files/peak" "$cli" sweep "$files/source.s1p" "$files/load.s1p" >/dev/null 2>&1
    cat "$files/peak"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

: >"$files/results"
for _ in $(seq "$runs"); do
    echo "cli $(cli_peak_kb)" >>"$files/results"
    echo "window $(window_peak_kb)" >>"$files/results"
done
cli_kb=$(awk '$1 == "cli" { print $2 }' "$files/results" | median)
window_kb=$(awk '$1 == "window" { print $2 }' "$files/results" | median)
awk -v c="$cli_kb" -v w="$window_kb" -v p="$points" -v r="$runs" 'BEGIN {
    printf "two %d-point noisy one-port files, peak memory, medians of %d alternating runs:\n", p, r
    printf "  corvalen-cli sweep S L >/dev/null     %7.1f MiB\n", c / 1024
    printf "  corvalen-sweep S L, first frame, quit %7.1f MiB\n", w / 1024
    printf "  difference %.1f MiB (target: at most 40 MiB)\n", (w - c) / 1024 }'
