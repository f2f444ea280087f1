#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Corvalen Sweep started again and again with two files under openbox, as a
# user opening it from a file manager does: every start shows the window and
# every Ctrl+Q ends it with status 0. A start that dies before its window shows
# (a signal, status 128 and up) fails with what it printed and its core's
# backtrace of every thread, where the kernel leaves a core: such a death may print nothing.
# Usage: start_sweep_repeatedly.sh PATH/TO/corvalen-sweep FOLDER_OF_THE_TEST_FILES [STARTS]
set -euo pipefail
program=$(realpath "$1") files=$(realpath "$2") starts=${3:-12}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/x11-session.sh"

fail() {
    echo "FAIL: $*" >&2
    local core
    core=$(find "$work/cores" -name 'core*' -type f | head -n1)
    [ -z "$core" ] || ! command -v gdb >/dev/null || gdb -batch -ex 'thread apply all bt' "$program" "$core" >&2 2>&1
    exit 1
}

end_to_end_start openbox
mkdir "$work/cores"
ulimit -c unlimited 2>/dev/null || true
for start in $(seq "$starts"); do
    # Nothing remembered between the starts but what the program itself keeps.
    (cd "$work/cores" && exec env XDG_CONFIG_HOME=$work LC_ALL=C QT_QPA_PLATFORM=xcb \
        "$program" "$files/source.s1p" "$files/load.s1p" 2>"$work/stderr") &
    pid=$!
    if ! window=$(wait_for_window "Corvalen Sweep" 20); then
        wait_for_exit "$pid" 5 || true
        fail "start $start: no window, status ${exit_status:-running}: $(cat "$work/stderr")"
    fi
    xdotool windowfocus --sync "$window" key ctrl+q
    wait_for_exit "$pid" 10 || fail "start $start: Ctrl+Q did not end the program"
    pid=
    [ "$exit_status" -eq 0 ] || fail "start $start: status $exit_status: $(cat "$work/stderr")"
    wait_for_no_window "Corvalen Sweep" 5
done
echo "Corvalen Sweep started $starts times"
