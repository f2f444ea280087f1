#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows installer under Wine on Xvfb with openbox, used as a person uses
# it: a silent install into a fresh Wine prefix; the calculator started from its
# installed path, its bars moved with the keyboard, Copy To Clipboard read back
# against `corvalen-cli report`, the About window opened; Corvalen Sweep started
# with two files, its cursor stepped, its readout copied and compared with the
# Linux build's, its plot saved as PNG through the file dialog; the installed
# corvalen-cli drawing PNG and refusing SVG; each window at 96 and 144 dpi (kept
# in SHOTS if given); and a silent uninstall that leaves no file or key behind.
# Usage: wine_desktop.sh SETUP_EXE LINUX_CLI LINUX_SWEEP TEST_FILES WINE [SHOTS]
set -euo pipefail
setup=$(realpath "$1") linux_cli=$2 linux_sweep=$3 files=$(realpath "$4") wine=$5 shots=${6:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/x11-session.sh"
wineserver=$(dirname "$(realpath "$wine")")/wineserver
work=$(dirname "$setup")/wine-desktop
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all LC_ALL=C.UTF-8
# No prompt to fetch Wine's .NET and HTML engines into the fresh prefix, and no
# menu entries or file types of the host's desktop made from the Start menu's.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

passed=0
failed=0
check() {  # check CONDITION WHAT
    if eval "$1"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $2"; fi
}
pid=
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    x11_session_stop
}
trap cleanup EXIT
# A step that fails outside check() ends the test; say which.
trap 'echo "ended at line $LINENO: $BASH_COMMAND" >&2' ERR
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }  # Wine's drive Z: is the root folder
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r'; }
reg_value() {  # reg_value KEY NAME: the value's data (NAME "(Default)": the key's own), empty where there is none
    local query=(/v "$2")
    [ "$2" != "(Default)" ] || query=(/ve)
    { "$wine" reg query "$1" "${query[@]}" 2>/dev/null || true; } | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"
}
dpi() {  # dpi N: what Windows' display settings call 100 % (96) or 150 % (144)
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    "$wineserver" -w
}
shoot() {  # shoot WINDOW NAME: the window's picture as SHOTS/NAME.png
    [ -n "$shots" ] || return 0
    xdotool mousemove 0 0
    sleep 0.5
    import -window "$1" "$shots/$2.png"
}
start() {  # start TITLE PROGRAM ARGS...: $window, its id once it shows (empty if never), and $pid
    local title=$1
    shift
    (cd "$work" && exec "$wine" "$@" >/dev/null 2>&1) &
    pid=$!
    window=$(wait_for_window "$title" 60 || true)
}
stop() {  # stop WINDOW: closes it as its close button does, and waits for the program
    [ -z "$1" ] || wmctrl -i -c "$1"
    wait_for_exit "$pid" 20 || kill "$pid"
    "$wineserver" -w
    pid=
}
[ -z "$shots" ] || mkdir -p "$shots"

X11_SESSION_SCREEN=1920x1080 x11_session_start openbox
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w

# --- Installed silently --------------------------------------------------------------------
"$wine" "$setup" /S
"$wineserver" -w
folder="$WINEPREFIX/drive_c/Program Files/Corvalen"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
for file in corvalen.exe corvalen-sweep.exe corvalen-cli.exe corvalen-plot.dll uninstall.exe README.txt LICENSE.txt \
    LICENSE-Liberation-fonts.txt; do
    check '[ -f "$folder/$file" ]' "installed $file"
done
for link in Corvalen "Corvalen Sweep"; do
    check '[ -f "$menu/$link.lnk" ]' "Start-menu entry $link"
done
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvalen'
version=$(basename "$setup" | sed -n 's/^corvalen-\(.*\)-setup\.exe$/\1/p')
check '[ "$(reg_value "$uninstall" DisplayVersion)" = "$version" ]' "installed programs: version $version"
check '[ "$(reg_value "$uninstall" Publisher)" = "The Corvalen developers" ]' "installed programs: publisher"
check '[[ "$(reg_value "$uninstall" QuietUninstallString)" == *"uninstall.exe\" /S" ]]' "quiet uninstall command"
for extension in .s1p .s2p .s4p .ts; do
    check '"$wine" reg query "HKLM\\Software\\Classes\\$extension\\OpenWithProgids" /v Corvalen.Touchstone >/dev/null 2>&1' \
        "Open with Corvalen Sweep for $extension"
    default=$(reg_value "HKLM\\Software\\Classes\\$extension" "(Default)")
    check '[ -z "$default" ] || [ "$default" = "(value not set)" ]' "$extension's default left alone: $default"
done
check '[[ "$(reg_value "HKLM\\Software\\Classes\\Corvalen.Touchstone\\shell\\open\\command" "(Default)")" == *corvalen-sweep.exe* ]]' \
    "the Touchstone type opens with corvalen-sweep.exe"

# --- The installed corvalen-cli: the report byte for byte, PNG drawn, SVG refused in one line --
cli="$folder/corvalen-cli.exe"
check 'cmp -s <("$wine" "$cli" report 1.5 2) <("$linux_cli" report 1.5 2)' "corvalen-cli report under Wine"
status=0
"$wine" "$cli" sweep "$(windows_path "$files/source.s1p")" 1.5 --plot "$(windows_path "$work/cli-plot.png")" \
    >/dev/null 2>"$work/cli.err" || status=$?
check '[ "$status" = 0 ] && [ "$(head -c 4 "$work/cli-plot.png" | tail -c 3)" = PNG ]' \
    "corvalen-cli --plot writes a PNG (status $status: $(cat "$work/cli.err"))"
status=0
"$wine" "$cli" sweep "$(windows_path "$files/source.s1p")" 1.5 --smith smith.svg >/dev/null 2>"$work/cli.err" || status=$?
check '[ "$status" = 2 ] && [ "$(wc -l <"$work/cli.err")" = 1 ] && grep -q "writes PNG pictures only" "$work/cli.err"' \
    "corvalen-cli refuses SVG in one line (status $status: $(cat "$work/cli.err"))"

# --- The calculator from its installed path -------------------------------------------------
start Corvalen "$folder/corvalen.exe"
main=$window
check '[ -n "$main" ]' "the calculator's window showed"
check 'activate_window "$main"' "the calculator's window active"
# The source bar to 1.50 and the load bar to 2.00: 50 x Right, Tab, 10 x Page Up.
xdotool key --delay 20 $(printf 'Right %.0s' $(seq 50)) Tab
xdotool key --delay 20 $(printf 'Prior %.0s' $(seq 10))
click_at "$main" 80 256  # Copy To Clipboard
"$linux_cli" report 1.5 2 | tr -d '\r' >"$work/report.expected"
clipboard_is_report() { cmp -s <(clipboard) "$work/report.expected"; }
poll_until 10 clipboard_is_report
check 'clipboard_is_report' "Copy To Clipboard under Wine: $(clipboard | head -n 3 | tr '\n' '|')"
shoot "$main" windows-main-96dpi
click_at "$main" 392 256  # About
about=$(wait_for_window About 20 || true)
check '[ -n "$about" ]' "the About window showed"
if [ -n "$about" ]; then
    shoot "$about" windows-about-96dpi
    activate_window "$about" && xdotool key Escape
    check 'wait_for_no_window About' "About closed with Escape"
fi
stop "$main"

# --- Corvalen Sweep with two files, against the Linux build's readout ----------------------
# From the source's input to the plot (as tests/desktop/e2e_sweep.sh), one step right, copied.
# The clipboard first holds a marker, so that neither an earlier copy nor a slow one is read as this one.
read_out() {  # read_out WINDOW OUT
    printf 'nothing copied' | xclip -selection clipboard
    activate_window "$1" || true  # the comparison that follows says what went wrong
    xdotool key --delay 40 $(printf 'Tab %.0s' $(seq 12)) Right ctrl+c
    poll_until 15 copied || true
    clipboard >"$2"
}
copied() { [ "$(clipboard)" != 'nothing copied' ]; }
XDG_CONFIG_HOME=$work/linux-settings QT_QPA_PLATFORM=xcb "$linux_sweep" "$files/source.s1p" "$files/load.s1p" &
pid=$!
linux_window=$(wait_for_window "Corvalen Sweep" 20)
read_out "$linux_window" "$work/readout.linux"
wmctrl -i -c "$linux_window"
wait_for_exit "$pid" 10 || kill "$pid"
start "Corvalen Sweep" "$folder/corvalen-sweep.exe" "$(windows_path "$files/source.s1p")" \
    "$(windows_path "$files/load.s1p")"
sweep=$window
check '[ -n "$sweep" ]' "Corvalen Sweep's window showed"
read_out "$sweep" "$work/readout.wine"
check '[ -s "$work/readout.wine" ] && cmp -s "$work/readout."{linux,wine}' \
    "the readout copied under Wine: $(head -n 2 "$work/readout.wine" | tr '\n' '|') against $(head -n 2 "$work/readout.linux" | tr '\n' '|')"
shoot "$sweep" windows-sweep-96dpi
# Save plot (Ctrl+S) through Windows' own file dialog, as PNG.
xdotool key ctrl+s
dialog=$(wait_for_window "Save the plot" 20 || true)
check '[ -n "$dialog" ]' "the Save plot dialog showed"
if [ -n "$dialog" ]; then
    activate_window "$dialog" || true
    sleep 0.5
    xdotool type --delay 20 "$(windows_path "$work/sweep-plot.png")"
    xdotool key Return
    poll_until 20 test -s "$work/sweep-plot.png"
    check '[ "$(head -c 4 "$work/sweep-plot.png" 2>/dev/null | tail -c 3)" = PNG ]' "the plot saved as PNG from the window"
fi
stop "$sweep"
# Its settings where Windows keeps a program's settings: the registry.
check '[[ "$(reg_value "HKCU\\Software\\Corvalen\\Corvalen Sweep" source)" == *source.s1p ]]' \
    "Corvalen Sweep's inputs remembered in the registry"

# --- 144 dpi (150 %): both windows again, for the eye ------------------------------------
dpi 144
# As on its first start on such a laptop: no geometry remembered from 96 dpi.
"$wine" reg delete 'HKCU\Software\Corvalen' /f >/dev/null 2>&1
start Corvalen "$folder/corvalen.exe"
main=$window
shoot "$main" windows-main-144dpi
stop "$main"
start "Corvalen Sweep" "$folder/corvalen-sweep.exe" "$(windows_path "$files/source.s1p")" \
    "$(windows_path "$files/load.s1p")" --through "$(windows_path "$files/cable.s2p")"
sweep=$window
check '[ -n "$sweep" ]' "Corvalen Sweep at 144 dpi"
geometry=$(xdotool getwindowgeometry --shell "$sweep" | tr '\n' ' ')
check '[[ $geometry =~ WIDTH=([0-9]+).*HEIGHT=([0-9]+) ]] && [ "${BASH_REMATCH[1]}" -le 1920 ] && [ "${BASH_REMATCH[2]}" -le 1080 ]' \
    "Corvalen Sweep at 144 dpi fits the 1920 x 1080 screen: $geometry"
shoot "$sweep" windows-sweep-144dpi
stop "$sweep"
dpi 96

# --- Uninstalled silently: nothing left ------------------------------------------------------
"$wine" "$folder/uninstall.exe" /S
"$wineserver" -w
poll_until 20 test ! -e "$folder"
check '[ ! -e "$folder" ]' "the program folder removed: $(ls "$folder" 2>/dev/null | tr '\n' ' ')"
check '[ -z "$(find "$WINEPREFIX/drive_c" -iname "*corvalen*" -print -quit)" ]' \
    "no file named Corvalen left: $(find "$WINEPREFIX/drive_c" -iname '*corvalen*' | head -n 3)"
for key in "$uninstall" 'HKLM\Software\Classes\Corvalen.Touchstone' \
    'HKLM\Software\Classes\Applications\corvalen-sweep.exe' 'HKLM\Software\Classes\.s2p' 'HKCU\Software\Corvalen'; do
    check '! "$wine" reg query "$key" >/dev/null 2>&1' "$key removed"
done
# No key or value anywhere names Corvalen.
leftovers=$(cat "$WINEPREFIX"/{system,user}.reg | grep -i corvalen || true)
check '[ -z "$leftovers" ]' "registry entries left: $leftovers"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
