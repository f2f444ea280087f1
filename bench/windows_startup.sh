#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up time of each window, the Windows build under Wine against the Linux
# build, in alternating runs on a private Xvfb with openbox: from the launch to
# the window shown (mapped with its title), then closed with its close button.
# Wine's server is kept running between runs, as it is on a desktop after the
# first program. Corvalen Sweep opens two 5-point files.
# Usage: bench/windows_startup.sh LINUX_BUILD WINDOWS_ZIP [RUNS]
set -euo pipefail
linux=$(realpath "$1") zip=$(realpath "$2") runs=${3:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/x11-session.sh"
files=$root/tests/sweepwindow
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
trap '"$wineserver" -k 2>/dev/null || true; x11_session_stop; rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
windows=$(echo "$work"/corvalen-*/)
X11_SESSION_SCREEN=1920x1080 x11_session_start openbox
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w
"$wineserver" -p  # persistent: kept between runs

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }  # Wine's drive Z: is the root folder
time_to_window() {  # time_to_window TITLE COMMAND...: milliseconds to the window, which is then closed
    local title=$1 start window
    shift
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    local pid=$!
    window=$(wait_for_window "$title" 60)
    echo $((($(date +%s%N) - start) / 1000000))
    wmctrl -i -c "$window"
    wait_for_exit "$pid" 20 >/dev/null || kill "$pid"
}

for program in corvalen corvalen-sweep; do
    case $program in
    corvalen) title=Corvalen linux_program=$linux/app/corvalen args=() wine_args=() ;;
    corvalen-sweep)
        title="Corvalen Sweep" linux_program=$linux/sweepwindow/corvalen-sweep
        args=("$files/source.s1p" "$files/load.s1p")
        wine_args=("$(windows_path "$files/source.s1p")" "$(windows_path "$files/load.s1p")") ;;
    esac
    time_to_window "$title" "$wine" "$windows/$program.exe" "${wine_args[@]}" >/dev/null  # the first, filling caches
    linux_ms=() wine_ms=()
    for run in $(seq "$runs"); do
        linux_ms+=("$(XDG_CONFIG_HOME=$work QT_QPA_PLATFORM=xcb time_to_window "$title" "$linux_program" "${args[@]}")")
        wine_ms+=("$(time_to_window "$title" "$wine" "$windows/$program.exe" "${wine_args[@]}")")
    done
    echo "$program: Linux ${linux_ms[*]} ms; under Wine ${wine_ms[*]} ms"
done
