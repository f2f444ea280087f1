#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The same sweep by the Linux build and by the Windows build under Wine, one run
# each, alternating, five times; wall-clock milliseconds, output discarded. Also
# Wine's own start-up, as `corvalen-cli.exe --version`.
# Usage: bench/sweep_wine_vs_linux.sh ONE_PORT TWO_PORT (after scripts/build and scripts/build-windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
linux=${CORVALEN_BUILD_DIR:-$root/build}/cli/corvalen-cli
windows=${CORVALEN_WINDOWS_BUILD_DIR:-$root/build-windows}
export WINEPREFIX=$windows/wine-prefix WINEDEBUG=-all
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
exe=$windows/cli/corvalen-cli.exe
"$wine" "$exe" --version >/dev/null  # starts Wine's server, which then stays between runs

milliseconds() {  # milliseconds COMMAND...
    local start
    start=$(date +%s%N)
    "$@" >/dev/null
    echo $((($(date +%s%N) - start) / 1000000))
}
for what in "sweep $1 1.5" "sweep $1 1.5 --through $2" "--version"; do
    read -ra arguments <<<"$what"
    for run in 1 2 3 4 5; do
        echo "$what: run $run: Linux $(milliseconds "$linux" "${arguments[@]}") ms, Wine $(milliseconds "$wine" "$exe" "${arguments[@]}") ms"
    done
done
