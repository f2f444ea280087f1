#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the .deb with CPack, checks its metadata and contents, installs it
# into a fresh root with dpkg and runs corvalen-cli from the installed copy,
# Corvalen Sweep as a desktop meets it (on Xvfb), and python3-corvalen's module.
# Usage: test_deb_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

. "$(dirname "$0")/../../scripts/lib/x11-session.sh"
# $work, and an X server for the installed Corvalen Sweep, both gone at the end.
end_to_end_start

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

# Corvalen Sweep as a desktop meets it once installed: its entry valid, the
# installed file type given to Touchstone names (by GIO, on the installed
# database alone), and the program started with a file, showing its window.
desktop-file-validate "$root/usr/share/applications/io.github.corvalen.CorvalenSweep.desktop" \
    || fail "the installed Corvalen Sweep entry is not valid"
XDG_DATA_DIRS=$root/usr/share update-mime-database "$root/usr/share/mime" || fail "update-mime-database on the installed type"
mkdir "$work/typed" "$work/no-data"
for name in x.s2p X.S1P y.ts; do
    printf '! measured\n# Hz S RI R 50\n1e9 0.1 0\n' >"$work/typed/$name"
    type=$(XDG_DATA_HOME=$work/no-data XDG_DATA_DIRS=$root/usr/share gio info -a standard::content-type \
        "$work/typed/$name" | sed -n 's/^ *standard::content-type: //p')
    [ "$type" = application/x-touchstone ] || fail "the installed database types $name as '$type'"
done
XDG_CONFIG_HOME=$work QT_QPA_PLATFORM=xcb "$root/usr/bin/corvalen-sweep" 1.5 "$work/load.s1p" &
pid=$!
window=$(wait_for_window "Corvalen Sweep" 20) || fail "the installed corvalen-sweep showed no window"
xdotool windowfocus --sync "$window" key ctrl+q
wait_for_exit "$pid" 10 || fail "the installed corvalen-sweep did not end on Ctrl+Q"
pid=
[ "$exit_status" -eq 0 ] || fail "the installed corvalen-sweep ended with status $exit_status"

# The Python module, where it is built: its own package, installed beside the
# programs' into Debian's path for modules, imported from there by the system Python.
python_deb=$(ls "$work"/out/python3-corvalen_"$version"_*.deb 2>/dev/null | head -n 1)
if [ -e "$build/python/corvalen/__init__.py" ]; then
    [ -n "$python_deb" ] || fail "no python3-corvalen_${version}_*.deb produced"
    tr ',' '\n' <<<"$(dpkg-deb -f "$python_deb" Depends)" | grep -qx ' *python3-numpy' || fail "python3-corvalen does not depend on python3-numpy"
    dpkg --root="$root" "${force[@]}" --no-triggers --log=/dev/null -i "$python_deb" >"$work/dpkg.log" 2>&1 \
        || { cat "$work/dpkg.log" >&2; fail "dpkg -i python3-corvalen"; }
    site="$root/usr/lib/python3/dist-packages"
    [ -n "$(ls "$site"/corvalen/_corvalen.cpython-*.so)" ] || fail "python3-corvalen lacks the extension module"
    imported=$(cd "$work" && PYTHONPATH=$site /usr/bin/python3 -c \
        "import corvalen; print(corvalen.__file__, corvalen.__version__, corvalen.read('load.s1p').frequency_hz[-1])") \
        || fail "import corvalen from the installed package"
    [ "$imported" = "$site/corvalen/__init__.py $version 200000000.0" ] || fail "installed corvalen: $imported"
fi

echo "PASS: $(basename "$deb") installs and runs"
