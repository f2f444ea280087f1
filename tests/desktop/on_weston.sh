#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command as a client of a private headless weston, on Qt's wayland
# platform: its windows are real Wayland surfaces, placed by the compositor.
# Usage: on_weston.sh COMMAND...
set -euo pipefail
runtime=$(mktemp -d)  # private (0700), as Wayland requires
weston_pid=
trap 'if [ -n "$weston_pid" ]; then kill "$weston_pid"; wait "$weston_pid" || true; fi; rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=corvalen-test QT_QPA_PLATFORM=wayland
unset DISPLAY
weston --backend=headless-backend.so --use-pixman --idle-time=0 --socket="$WAYLAND_DISPLAY" >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [ -S "$runtime/$WAYLAND_DISPLAY" ] && break
    sleep 0.1
done
[ -S "$runtime/$WAYLAND_DISPLAY" ] || { cat "$runtime/weston.log" >&2; echo "FAIL: weston did not start" >&2; exit 1; }
"$@"
