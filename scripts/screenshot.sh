#!/usr/bin/env bash
# Takes the picture of Kestrune at work that the README shows: the program on
# track 2 of a disc like the demo disc under a private X display, caught
# mid-rip. The demo's track 2 is ripped in a blink, so this disc's is ten
# minutes long.
#
# Usage: scripts/screenshot.sh [OUTPUT.png] [BUILD_DIR]
# (defaults: docs/kestrune.png and build/default; build first.)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$root/docs/kestrune.png}")
build=$(realpath "${2:-$root/build/default}")
kestrune="$build/bin/kestrune"
mkdisc="$build/bin/mkdisc"
for program in "$kestrune" "$mkdisc"; do
    [ -x "$program" ] || { echo "screenshot.sh: build first: no $program" >&2; exit 1; }
done
command -v import >/dev/null || { echo "screenshot.sh: needs import (imagemagick)" >&2; exit 1; }

# shellcheck source=../tests/support/desktop_session.sh
source "$root/tests/support/desktop_session.sh"
start_desktop

"$mkdisc" "$work/disc" audio:8:melody=3@-10 audio:600:chord=220@-12 >/dev/null
mkdir -m 700 "$work/run"
XDG_RUNTIME_DIR="$work/run" DISCREAD_DRIVES="$work/disc.cue" QT_QPA_PLATFORM=xcb \
    "$kestrune" 'D:\Track02.cda' >"$work/kestrune.log" 2>&1 &
app_pid=$!
wait_for 20 "the save dialog did not open" visible_named '^Save As$'
dialog=$(visible_named '^Save As$' | head -n 1)
x xdotool windowactivate --sync "$dialog"
x xdotool type "$work/Track02.mp3"
x xdotool key Return
wait_for 10 "the save dialog did not close" gone_named '^Save As$'
window=$(visible_named '^Kestrune v 1\.0$' | head -n 1)

# Mid-rip: the bar a good way along, the rip still running.
percent_shown() {
    local file
    for file in "$work"/.Track02.mp3.*.part; do
        [ -f "$file" ] && [ "$(stat -c %s "$file")" -gt "$1" ] && return 0
    done
    return 1
}
wait_for 60 "the rip did not get on" percent_shown 4000000
# Held still while the picture is taken, so that it shows one moment.
kill -STOP "$app_pid"
eval "$(x xdotool getwindowgeometry --shell "$window")"
mkdir -p "$(dirname "$output")"
x import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
kill -CONT "$app_pid"
echo "wrote $output"
