#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the .deb with CPack, checks its metadata and contents, installs it
# into a fresh root with dpkg and runs corvalen-cli from the installed copy.
# Usage: test_deb_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
deb=$(ls "$work"/out/corvalen_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no corvalen_${version}_*.deb produced"

[ "$(dpkg-deb -f "$deb" Package)" = corvalen ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
depended_on=$(tr ',' '\n' <<<"$depends" | sed -e 's/^ *//' -e 's/ .*//')
for needed in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libqt6svg6 fonts-liberation2; do
    grep -qxF "$needed" <<<"$depended_on" || fail "Depends lacks $needed: $depends"
done

[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "Recommends is '$(dpkg-deb -f "$deb" Recommends)', not qt6-wayland"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/corvalen ./usr/bin/corvalen-cli ./usr/bin/corvalen-sweep \
    ./usr/share/applications/io.github.corvalen.Corvalen.desktop \
    ./usr/share/metainfo/io.github.corvalen.Corvalen.metainfo.xml \
    ./usr/share/applications/io.github.corvalen.CorvalenSweep.desktop \
    ./usr/share/metainfo/io.github.corvalen.CorvalenSweep.metainfo.xml \
    ./usr/share/mime/packages/io.github.corvalen.CorvalenSweep.xml ./usr/share/man/man1/corvalen-sweep.1.gz \
    ./usr/share/icons/hicolor/32x32/apps/io.github.corvalen.Corvalen.png \
    ./usr/share/icons/hicolor/scalable/apps/io.github.corvalen.Corvalen.svg \
    ./usr/share/man/man1/corvalen.1.gz ./usr/share/man/man1/corvalen-cli.1.gz; do
    grep -qxF "$path" <<<"$contents" || fail "package lacks $path"
done
grep -qE '^\./usr/lib/([^/]+/)?corvalen/plugins/corvalen-plot\.so$' <<<"$contents" || fail "package lacks the plot module"
# A module opened by its path needs no ldconfig, and a user's dpkg --root cannot run it.
dpkg-deb -e "$deb" "$work/control"
[ ! -e "$work/control/postinst" ] || fail "the package runs a postinst: $(cat "$work/control/postinst")"

# A fresh root with an empty dpkg database; the libraries come from the host,
# so dependencies are not installed into it.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# dpkg looks for ldconfig and start-stop-daemon, which a user's PATH may lack.
export PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"
force=(--force-depends --force-script-chrootless)
[ "$(id -u)" -eq 0 ] || force+=(--force-not-root)
dpkg --root="$root" "${force[@]}" --no-triggers --log=/dev/null -i "$deb" >"$work/dpkg.log" 2>&1 \
    || { cat "$work/dpkg.log" >&2; fail "dpkg -i"; }
dpkg --root="$root" -s corvalen | grep -q '^Status: install ok installed' || fail "not installed"

# The installed program prints what the build tree's prints.
cli="$root/usr/bin/corvalen-cli"
built="$build/cli/corvalen-cli"
[ "$("$cli" --version)" = "$("$built" --version)" ] || fail "installed --version"
cmp -s <("$cli" report 1.5 2) <("$built" report 1.5 2) || fail "installed report 1.5 2"
cmp -s <("$cli" table) <("$built" table) || fail "installed table"

# The sweep, and its plot module found from the installed program's own folder.
printf '# MHz S RI R 50\n100 0.2 0\n200 0.2 0.1\n' >"$work/load.s1p"
[ "$("$cli" sweep 1.5 "$work/load.s1p" --plot "$work/plot.png" | sed -n 2p | cut -f 1,2,4)" = $'100000000\t1.5000\t1.5000' ] \
    || fail "installed sweep"
[ -s "$work/plot.png" ] || fail "installed sweep --plot"
# The Smith chart: the load's trace labelled at both ends, the fixed source as a circle of its |G|.
"$cli" sweep gamma=0.2 "$work/load.s1p" --smith "$work/smith.svg" >/dev/null || fail "installed sweep --smith"
for label in '100 MHz' '200 MHz' '|G| = 0.200, phase unknown'; do
    grep -qF "$label" "$work/smith.svg" || fail "the Smith chart lacks '$label'"
done

echo "PASS: $(basename "$deb") installs and runs"
