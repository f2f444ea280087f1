#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Corvalen Sweep as a screen reader meets it: the real program on Xvfb, in a
# D-Bus session of its own with the accessibility bus, its tree read end to end
# through AT-SPI. Every control that takes the focus has a name, those a user
# looks for by name are there, and the readout's values are read with their
# labels (at the cursor's first place, 1.75 GHz, as corvalen-cli sweep prints it).
# Usage: accessible_sweep.sh PATH/TO/corvalen-sweep FOLDER_OF_THE_TEST_FILES
set -euo pipefail
[ -n "${CORVALEN_OWN_BUS:-}" ] || CORVALEN_OWN_BUS=1 exec dbus-run-session -- "$0" "$@"
program=$1 files=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/x11-session.sh"

end_to_end_start
XDG_CONFIG_HOME=$work LC_ALL=C QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    "$program" "$files/source.s1p" "$files/load.s1p" &
pid=$!
wait_for_window "Corvalen Sweep" 20 >/dev/null || { echo "FAIL: the window never showed" >&2; exit 1; }
timeout 60 /usr/bin/python3 - <<'EOF'
import sys, time
import pyatspi

def nodes(node):
    yield node
    for child in filter(None, node):
        yield from nodes(child)

for _ in range(100):
    app = next((a for a in filter(None, pyatspi.Registry.getDesktop(0)) if a.name == "Corvalen Sweep"), None)
    if app is not None:
        break
    time.sleep(0.2)
wanted = {("text", "Source"), ("text", "Load"), ("text", "Z0 (ohms)"), ("push button", "Open a file for Source"),
          ("push button", "Open a file for Load"), ("push button", "Add a two-port to the chain, nearest the load"),
          ("text", "Band From"), ("text", "Band To"), ("push button", "Copy"),
          ("push button", "Export table..."), ("push button", "Save plot..."), ("push button", "Save Smith chart..."),
          ("filler", "Mismatch across frequency"), ("filler", "Smith chart"),
          ("label", "Frequency 1.75 GHz"), ("label", "Source VSWR 1.6667"), ("label", "Load return loss 12.0412 dB"),
          ("label", "Mismatch error -0.4786 dB")}
# The sweep is computed off the interface thread: the tree is read again until its values have come.
for _ in range(50):
    shown = [(n.getRoleName(), n.name, n.getState()) for n in nodes(app)] if app else []
    shown = [(role, name, states) for role, name, states in shown if states.contains(pyatspi.STATE_SHOWING)]
    # Labels take the focus only to let their text be selected; an empty note has nothing to say.
    problems = [f"focusable {role} without a name" for role, name, states in shown
                if states.contains(pyatspi.STATE_FOCUSABLE) and role != "label" and not name.strip()]
    problems += [f"no {role} named '{name}'" for role, name in wanted - {(role, name) for role, name, _ in shown}]
    if not problems:
        break
    time.sleep(0.2)
if problems:
    sys.exit("FAIL: " + "; ".join(problems))
print(f"{len(shown)} accessible objects shown, every control named")
EOF
