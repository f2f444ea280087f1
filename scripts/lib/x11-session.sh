# SPDX-License-Identifier: MIT
# Sourced by the scripts that drive Corvalen's windows on a private X server:
# the end-to-end test, the screenshots and the GUI benchmark. Every wait is
# bounded, and x11_session_stop ends only the processes started here.

x11_session_xvfb_pid=
x11_session_wm_pid=
x11_session_dir=

# x11_session_start [openbox]: starts Xvfb on a display number it picks itself
# among the free ones and exports DISPLAY once the server answers; with
# "openbox", also starts that window manager and returns once it runs. The
# screen is 1024x768, a small laptop's, unless X11_SESSION_SCREEN says otherwise.
x11_session_start() {
    x11_session_dir=$(mktemp -d)
    # Qt wants a private runtime folder; give it one that goes with the session.
    export XDG_RUNTIME_DIR=$x11_session_dir/runtime
    mkdir -m 0700 "$XDG_RUNTIME_DIR"
    # -noreset: by default the server resets when its last client leaves, and
    # refuses connections meanwhile; xdpyinfo below would be such a client.
    Xvfb -displayfd 3 -screen 0 "${X11_SESSION_SCREEN:-1024x768}x24" -noreset -nolisten tcp -nolisten unix-abstract \
        3>"$x11_session_dir/display" 2>"$x11_session_dir/xvfb.log" &
    x11_session_xvfb_pid=$!
    if ! poll_until 10 x11_session_answers; then
        echo "Xvfb did not start:" >&2
        cat "$x11_session_dir/xvfb.log" >&2
        return 1
    fi
    [ "${1:-}" = openbox ] || return 0
    # An empty configuration folder: openbox's defaults, not the user's.
    XDG_CONFIG_HOME=$x11_session_dir openbox --sm-disable >"$x11_session_dir/wm.log" 2>&1 &
    x11_session_wm_pid=$!
    if ! poll_until 10 wmctrl -m; then
        echo "openbox did not start:" >&2
        cat "$x11_session_dir/wm.log" >&2
        return 1
    fi
}

x11_session_answers() {
    [ -s "$x11_session_dir/display" ] || return 1
    export DISPLAY=":$(head -n1 "$x11_session_dir/display")"
    xdpyinfo >/dev/null 2>&1
}

x11_session_stop() {
    local pid
    for pid in "$x11_session_wm_pid" "$x11_session_xvfb_pid"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    x11_session_wm_pid=
    x11_session_xvfb_pid=
    [ -n "$x11_session_dir" ] && rm -rf "$x11_session_dir"
    x11_session_dir=
}

# poll_until SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds or
# SECONDS have passed; fails in the latter case.
poll_until() {
    local seconds=$1 tries
    shift
    for tries in $(seq $((seconds * 20))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

window_named() {
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 | grep .
}

# wait_for_window NAME [SECONDS]: prints the id of the visible window whose
# title is exactly NAME, polling for at most SECONDS (default 10).
wait_for_window() {
    if poll_until "${2:-10}" window_named "$1"; then
        window_named "$1"
    else
        echo "no visible window named '$1' after ${2:-10}s" >&2
        return 1
    fi
}

# activate_window ID [SECONDS]: gives the window the keyboard and waits until
# the window manager reports it active, asking again while it is not. xdotool's
# own --sync gives up at once when for a moment no window is active, as happens
# while Wine maps a window.
activate_window() {
    poll_until "${2:-10}" x11_session_active "$1" && return 0
    echo "window $1 not active after ${2:-10}s (active: $(xdotool getactivewindow 2>/dev/null))" >&2
    return 1
}

x11_session_active() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    xdotool windowactivate "$1" 2>/dev/null
    return 1
}

# window_names: the titles of all windows on the display, for a failure's message.
window_names() {
    xwininfo -root -tree 2>/dev/null | grep -o '"[^"]*"' | sort -u | tr '\n' ' '
}

# wait_for_no_window NAME [SECONDS]
wait_for_no_window() {
    poll_until "${2:-10}" eval "! window_named '$1'" && return 0
    echo "window '$1' still visible after ${2:-10}s" >&2
    return 1
}

# wait_for_exit PID [SECONDS]: waits for a child of this shell to end and sets
# exit_status to its status; fails if it still runs after SECONDS. Call it
# directly, never inside $(...): a subshell cannot wait for its parent's child.
wait_for_exit() {
    local pid=$1
    exit_status=
    poll_until "${2:-10}" eval "! kill -0 $pid" || return 1
    exit_status=0
    wait "$pid" || exit_status=$?
}

# window_size ID: prints WIDTHxHEIGHT of a window's client area.
window_size() {
    xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: *//p'
}

# frame_geometry ID: prints "X Y WIDTH HEIGHT" of the window with its frame, as
# the window manager reports it (_NET_FRAME_EXTENTS); without one, the client.
frame_geometry() {
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ,)
    xwininfo -id "$1" | awk -v e="${extents:-0 0 0 0}" '
        /Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 }
        END { split(e, m, " "); print x - m[1], y - m[3], w + m[1] + m[2], h + m[3] + m[4] }'
}

# end_to_end_start [ARGS...]: a session for an end-to-end test (ARGS as for
# x11_session_start), a scratch folder in $work, and, whatever way the test
# ends, the program started as $pid stopped, the session ended and $work removed.
end_to_end_start() {
    pid=
    work=$(mktemp -d)
    trap 'if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" || true; fi
          x11_session_stop; rm -rf "$work"' EXIT
    x11_session_start "$@"
}

# clipboard_holds FILE: the X clipboard holds exactly FILE's bytes.
clipboard_holds() { timeout 2 xclip -o -selection clipboard | cmp -s "$1" -; }
