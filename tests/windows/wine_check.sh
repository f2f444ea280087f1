#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# corvalen-cli.exe as the Windows zip ships it, run under Wine, must print what
# the Linux build prints, byte for byte, and end with the same status: the
# texts, the table, one-off values, sweeps direct and through a two-port, every
# refusal of a bad file, and a file named in UTF-8.
# Usage: wine_check.sh LINUX_CLI WINDOWS_ZIP WINE
set -euo pipefail
linux=$(realpath "$1")
zip=$(realpath "$2")
wine=$3
work=$(dirname "$zip")/wine-check
rm -rf "$work" && mkdir -p "$work"
(cd "$work" && cmake -E tar xf "$zip")
exe=$(echo "$work"/corvalen-cli-*/corvalen-cli.exe)
export WINEPREFIX=$(dirname "$zip")/wine-prefix WINEDEBUG=-all LC_ALL=C.UTF-8
"$wine" wineboot --init >/dev/null 2>&1

passed=0
failed=0
check() {  # check CONDITION WHAT
    if eval "$1"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $2"; fi
}
run() {  # run NAME PROGRAM ARGS...: NAME.out, NAME.err, NAME.status in $work
    local name=$1 status=0
    shift
    "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
    echo "$status" >"$work/$name.status"
}
same() {  # same ARGS...: stdout, stderr and status alike
    run linux "$linux" "$@"
    run wine timeout 120 "$wine" "$exe" "$@"
    local differs=""
    for part in out err status; do
        cmp -s "$work/linux.$part" "$work/wine.$part" || differs+=" $part"
    done
    check '[ -z "$differs" ]' "corvalen-cli $* differs in:$differs ($(sha256sum "$work"/{linux,wine}.out | cut -c1-16 | tr '\n' ' '))"
}

# Nothing beside the program: every DLL it imports is one of Windows' own.
for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p'); do
    check '[ -n "$(find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll")" ]' "imports $dll"
done

# The test files as touchstone/NAME: refusals quote the path as given.
cd "$(dirname "$0")/../measured"
same report 1.5 2
same table
same table --source 1.5:2 --load 1:1.2
for pair in "1.5 2" "vswr=1.5 rl=20" "gamma=0.2 1.3"; do
    for through in "" "--through loss=10,vswr=1.1" "--through touchstone/through.s2p"; do
        same mismatch $pair $through
        same mismatch $pair $through --format json
    done
done
for file in touchstone/* touchstone touchstone/missing.s1p; do
    same sweep "$file" 1.5 --format tsv
    same sweep 1.3 "$file" --through touchstone/through.s2p --format csv
done
same sweep touchstone/z-v1.s1p touchstone/y-v2.s2p:S22 --through touchstone/through-75.s2p --z0 75
same sweep 1.5 2
cp touchstone/through.s2p "$work/Messung_Dämpfungsglied.s2p"
same sweep "$work/Messung_Dämpfungsglied.s2p:S22" 1.5 --through "$work/Messung_Dämpfungsglied.s2p"
same sweep "$work/Dämpfungsglied_fehlt.s1p" 1.5
mkdir "$work/Messungen_März"
same sweep "$work/Messungen_März" 1.5
# A sweep of many blocks of rows, as large measured files give.
awk 'BEGIN { print "# Hz S RI R 50"; for (i = 1; i <= 200000; i++) printf "%d %.6f %.6f\n", 1e6 + 1e3 * i, sin(i) / 2, cos(i) / 3 }' >"$work/many.s1p"
same sweep "$work/many.s1p" 1.5

# A write that fails: one line and status 1.
run linux sh -c 'exec "$@" >/dev/full' sh "$linux" table
run wine sh -c 'exec "$@" >/dev/full' sh timeout 120 "$wine" "$exe" table
check 'cmp -s "$work"/{linux,wine}.err && cmp -s "$work"/{linux,wine}.status' "a failed write"

# No drawing without Qt: one line, status 2, no rows.
for option in --plot --smith; do
    run wine timeout 120 "$wine" "$exe" sweep touchstone/z-v1.s1p 1.5 "$option" "$work/drawing.svg"
    check '[ "$(cat "$work"/wine.{status,out,err} | tr "\n" " ")" = "2 corvalen-cli: drawing needs the desktop build " ]' "$option"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
