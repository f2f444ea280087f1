# SPDX-License-Identifier: MIT
# Sourced by the scripts that drive Corvalen's windows on a private X server:
# the end-to-end test, the screenshots and the GUI benchmark. Every wait is
# bounded, and x11_session_stop ends only the processes started here.

x11_session_xvfb_pid=
x11_session_dir=

# Starts Xvfb on a display number it picks itself among the free ones, and
# exports DISPLAY once the server answers.
x11_session_start() {
    x11_session_dir=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -nolisten unix-abstract \
        3>"$x11_session_dir/display" 2>"$x11_session_dir/xvfb.log" &
    x11_session_xvfb_pid=$!
    local tries
    for tries in $(seq 100); do
        if [ -s "$x11_session_dir/display" ]; then
            export DISPLAY=":$(head -n1 "$x11_session_dir/display")"
            xdpyinfo >/dev/null 2>&1 && return 0
        fi
        kill -0 "$x11_session_xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb did not start:" >&2
    cat "$x11_session_dir/xvfb.log" >&2
    return 1
}

x11_session_stop() {
    if [ -n "$x11_session_xvfb_pid" ]; then
        kill "$x11_session_xvfb_pid" 2>/dev/null || true
        wait "$x11_session_xvfb_pid" 2>/dev/null || true
        x11_session_xvfb_pid=
    fi
    [ -n "$x11_session_dir" ] && rm -rf "$x11_session_dir"
    x11_session_dir=
}

# wait_for_window NAME [SECONDS]: prints the id of the visible window whose
# title is exactly NAME, polling for at most SECONDS (default 10).
wait_for_window() {
    local name=$1 seconds=${2:-10} id tries
    for tries in $(seq $((seconds * 20))); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    echo "no visible window named '$name' after ${seconds}s" >&2
    return 1
}

# wait_for_no_window NAME [SECONDS]
wait_for_no_window() {
    local name=$1 seconds=${2:-10} tries
    for tries in $(seq $((seconds * 20))); do
        xdotool search --onlyvisible --name "^${name}\$" >/dev/null 2>&1 || return 0
        sleep 0.05
    done
    echo "window '$name' still visible after ${seconds}s" >&2
    return 1
}

# wait_for_exit PID [SECONDS]: waits for a child process to end and prints its
# exit status; fails if it is still running after SECONDS.
wait_for_exit() {
    local pid=$1 seconds=${2:-10} tries status
    for tries in $(seq $((seconds * 20))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            status=0
            wait "$pid" || status=$?
            echo "$status"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# window_size ID: prints WIDTHxHEIGHT of a window.
window_size() {
    xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: *//p'
}
