#!/usr/bin/env bash
# The main window's face on a real X desktop, used with a real mouse: where the
# window appears, the hints over the hot spots, and what a click on each does.
# With SHOTS set to a folder, pictures of the window as the rip starts, mid-rip and paused
# are left there (start.png, mid-rip.png, paused.png).
#
# Usage: desktop_face_test.sh KESTRUNE MKDISC
set -euo pipefail

kestrune=${1:?usage: desktop_face_test.sh KESTRUNE MKDISC}
mkdisc=${2:?usage: desktop_face_test.sh KESTRUNE MKDISC}

# shellcheck source=../support/desktop_session.sh
source "$(dirname "$0")/../support/desktop_session.sh"
for tool in import convert; do
    command -v "$tool" >/dev/null 2>&1 || fail "the face test needs $tool (package imagemagick)"
done
start_desktop

# Hot spots, "LEFT TOP WIDTH HEIGHT" in window coordinates.
stop_spot="173 40 36 15"
about_spot="272 40 36 15"
tick_spot="282 4 15 13"
cross_spot="298 3 12 13"

point_at() {
    local left top width height
    read -r left top width height <<<"$1"
    x xdotool mousemove $((395 + left + width / 2)) $((295 + top + height / 2))
}
click_on() {
    # Well apart from the click before, or the two would make a double click.
    sleep 0.6
    point_at "$1"
    sleep 0.2
    x xdotool click 1
}
# The open tooltip: a visible window of the program that says it is one.
tooltip_open() {
    local w
    for w in $(x xdotool search --onlyvisible --classname '^kestrune$' 2>/dev/null); do
        x xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP && return 0
    done
    return 1
}
no_tooltip() { ! tooltip_open; }
shot() {
    x import -window root -crop 313x61+395+295 +repage "$work/$1.png"
    if [ -n "${SHOTS:-}" ]; then
        mkdir -p "$SHOTS"
        cp "$work/$1.png" "$SHOTS/$1.png"
    fi
}
# How many pixels of the status text's place are written in its green (red
# and blue alike, unlike the bar's gradient fill below it).
status_ink() {
    shot status
    convert "$work/status.png" -crop 82x16+207+19 -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 && $4 > $3 + 60 && $4 > $5 + 60 && ($3 - $5) ^ 2 < 225 { n++ }
                        END { print n + 0 }'
}
status_shown() { [ "$(status_ink)" -gt 15 ]; }
status_hidden() { [ "$(status_ink)" -eq 0 ]; }
# The MP3 file grows under a temporary name and takes its own when it is whole.
file_size() {
    local file
    for file in "$work"/.track.mp3.*.part "$work/track.mp3"; do
        [ -f "$file" ] && { stat -c %s "$file"; return 0; }
    done
    echo 0
}
larger_than() { [ "$(file_size)" -gt "$1" ]; }
ended() { ! kill -0 "$app_pid" 2>/dev/null; }

step "the program on a long track of a disc image, saving to a file"
"$mkdisc" "$work/disc" audio:1200:sine=440@-20 >"$work/mkdisc.log" 2>&1 || fail "mkdisc failed"
# Read as a drive of 40 times real time: half a minute for the track however
# fast the machine, so the clicks below come mid-rip.
DISCREAD_SIMULATE=speed=40 start_kestrune "$kestrune" "$work/disc.cue" 'D:\Track01.cda'
wait_for 20 "the main window is not shown" visible_named '^Kestrune v 1\.0$'
window=$(visible_named '^Kestrune v 1\.0$' | head -n 1)
answer_save_dialog "$work/track.mp3"
shot start

step "the window is at (395, 295), 313 x 61, without a frame"
info=$(x xwininfo -id "$window")
grep -q 'Absolute upper-left X:  395$' <<<"$info" || fail "window not at x 395: $info"
grep -q 'Absolute upper-left Y:  295$' <<<"$info" || fail "window not at y 295: $info"
grep -q 'Width: 313$' <<<"$info" || fail "window not 313 wide: $info"
grep -q 'Height: 61$' <<<"$info" || fail "window not 61 high: $info"
extents=$(x xprop -id "$window" _NET_FRAME_EXTENTS)
[[ "$extents" == *"= 0, 0, 0, 0" ]] || fail "the window manager framed the window: $extents"

step "mid-rip"
# The rip still runs faster than the audio plays: what needs time happens paused.
wait_for 30 "the rip did not get on" larger_than 3000000
shot mid-rip
status_hidden || fail "the status text shows while the rip runs"

step "Stop pauses: the file stops growing and the window shows the pause"
click_on "$stop_spot"
wait_for 10 "no pause text after a click on Stop" status_shown
sleep 1
held=$(file_size)
sleep 1.5
[ "$(file_size)" -eq "$held" ] || fail "the file grew while paused"
shot paused

step "hovering each hot spot shows its hint"
for spot in "$stop_spot" "$about_spot" "$tick_spot" "$cross_spot"; do
    x xdotool mousemove 10 10
    wait_for 10 "a hint stayed open away from the hot spots" no_tooltip
    sleep 0.5
    point_at "$spot"
    x xdotool mousemove_relative 1 0
    wait_for 10 "no hint over the hot spot at ($spot)" tooltip_open
done
x xdotool mousemove 10 10

step "About opens the About box and Enter closes it"
click_on "$about_spot"
wait_for 10 "a click on About opened no About box" visible_named '^About Kestrune$'
about=$(visible_named '^About Kestrune$' | head -n 1)
x xdotool windowactivate --sync "$about"
x xdotool key Return
wait_for 10 "the About box did not close" gone_named '^About Kestrune$'

step "the tick hides the window to the tray; a tray click brings it back"
wait_for 20 "the icon did not dock in tint2's notification area" icon_docked
click_on "$tick_spot"
wait_for 10 "a click on the tick did not hide the window" withdrawn "$window"
icon_docked || fail "the icon left the notification area with the window"
click_icon 1
wait_for 10 "a click on the icon did not show the window again" viewable "$window"

step "Stop again resumes"
click_on "$stop_spot"
wait_for 10 "the pause text stayed after a second click on Stop" status_hidden
wait_for 20 "the file did not grow after resuming" larger_than "$held"

step "the cross shows the stop text and ends the program with a playable partial file"
click_on "$cross_spot"
wait_for 5 "no stop text after a click on the cross" status_shown
wait_for 20 "the program did not end after a click on the cross" ended
wait "$app_pid" || fail "the program ended with status $?"
app_pid=''
size=$(file_size)
[ "$size" -gt 100000 ] && [ "$size" -lt 19000000 ] || fail "the MP3 file is not a partial one ($size bytes)"
# Finished: the encoder's last frames and the tag at the end were written.
[ "$(tail -c 128 "$work/track.mp3" | head -c 3)" = TAG ] || fail "the partial MP3 file has no tag"

step "all checks passed"
