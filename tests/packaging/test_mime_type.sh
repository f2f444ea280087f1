#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Touchstone type as a desktop sees it: update-mime-database builds a
# database from the package file alone, and every Touchstone name, in any case,
# is given the type, while a name that merely looks alike is not.
# Usage: test_mime_type.sh MIME_PACKAGE_XML
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/mime/packages"
cp "$1" "$work/mime/packages/"
XDG_DATA_DIRS=$work update-mime-database "$work/mime" 2>"$work/log" || { cat "$work/log" >&2; fail "update-mime-database"; }
[ ! -s "$work/log" ] || { cat "$work/log" >&2; fail "update-mime-database warns"; }

# globs2 lines are WEIGHT:TYPE:PATTERN; match each name as the desktop does,
# case-insensitively.
type_of() {
    local name=${1,,} weight type pattern
    while IFS=: read -r weight type pattern; do
        [[ $weight == \#* ]] && continue
        # shellcheck disable=SC2053
        [[ $name == $pattern ]] && { echo "$type"; return; }
    done <"$work/mime/globs2"
    echo none
}
for name in a.s1p B.S2P amp.s4p ch.S12P big.s999p data.ts; do
    [ "$(type_of "$name")" = application/x-touchstone ] || fail "$name is not a Touchstone file"
done
for name in a.sp a.s1 notes.txt a.sxp; do
    [ "$(type_of "$name")" = none ] || fail "$name is taken for a Touchstone file"
done
echo "every Touchstone name has the type"
