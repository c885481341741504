#!/usr/bin/env bash
# The program's tray icon on a real X desktop, driven as a user drives it: an
# Xvfb display of its own with openbox and tint2 (a panel with an XEmbed
# notification area), clicks and keys from xdotool, window states from
# xwininfo. Fails with a clear message when any of these tools is missing.
#
# Usage: desktop_tray_test.sh KESTRUNE MKDISC
set -euo pipefail

kestrune=${1:?usage: desktop_tray_test.sh KESTRUNE MKDISC}
mkdisc=${2:?usage: desktop_tray_test.sh KESTRUNE MKDISC}

# shellcheck source=../support/desktop_session.sh
source "$(dirname "$0")/../support/desktop_session.sh"
start_desktop

step "the program on a long track of a disc image; the save dialog cancelled"
# Eight minutes: the rip in the last step must still run when the window goes to the tray.
"$mkdisc" "$work/disc" audio:480:melody=5@-10 >"$work/mkdisc.log" 2>&1 || fail "mkdisc failed"
start_kestrune "$kestrune" "$work/disc.cue" 'D:\Track01.cda'
answer_save_dialog --cancel
wait_for 10 "the main window is not shown" visible_named '^Kestrune v 1\.0$'
window=$(visible_named '^Kestrune v 1\.0$' | head -n 1)

step "the icon docks in the notification area"
wait_for 20 "the icon did not dock in tint2's notification area" icon_docked

step "Minimize to tray hides the window; the icon stays"
x xdotool windowactivate --sync "$window"
click_tick "$window"
wait_for 10 "Minimize to tray did not hide the window (map state $(map_state "$window"))" \
    withdrawn "$window"
icon_docked || fail "the icon left the notification area with the window"

step "a left click on the icon brings the window back to the front"
click_icon 1
wait_for 10 "a click on the icon did not show the window again" viewable "$window"
wait_for 10 "the window came back but not in front" active_is "$window"

step "minimising the window sends it to the tray as well"
x xdotool windowminimize "$window"
wait_for 10 "a minimised window did not go to the tray" withdrawn "$window"
click_icon 1
wait_for 10 "a click on the icon did not bring the minimised window back" viewable "$window"

step "a right click opens the menu; its About item opens the About box"
click_icon 3
wait_for 10 "a right click on the icon opened no menu" menu_window
menu=$(menu_window)
eval "$(x xdotool getwindowgeometry --shell "$menu")"
# The menu holds one item, About.
x xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
sleep 0.3
x xdotool click 1
wait_for 10 "choosing About opened no About box" visible_named '^About Kestrune$'
about=$(visible_named '^About Kestrune$' | head -n 1)
x xdotool windowactivate --sync "$about"
x xdotool key Return
wait_for 10 "the About box did not close" gone_named '^About Kestrune$'
kill -0 "$app_pid" 2>/dev/null || fail "the program ended with the About box"

step "tint2 ends and starts again: the icon docks again"
stop "$tint2_pid"
tint2_pid=''
# Long enough for the program to notice that the notification area is gone.
sleep 2
icon_docked && fail "the icon is still docked with tint2 gone"
start_tint2
wait_for 20 "the icon did not dock again after tint2 came back" icon_docked
kill -0 "$app_pid" 2>/dev/null || fail "the program ended on the way"

step "a rip that ends while the window is in the tray ends the program"
stop "$app_pid"
app_pid=''
start_kestrune "$kestrune" "$work/disc.cue" 'D:\Track01.cda'
answer_save_dialog "$work/track.mp3"
wait_for 10 "the main window is not shown" visible_named '^Kestrune v 1\.0$'
window=$(visible_named '^Kestrune v 1\.0$' | head -n 1)
x xdotool windowactivate --sync "$window"
click_tick "$window"
wait_for 10 "Minimize to tray did not hide the window" withdrawn "$window"
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
kill -0 "$app_pid" 2>/dev/null || fail "the rip ended before the window went to the tray"
wait_for 120 "the program did not end when the rip had finished in the tray" ended
wait "$app_pid" || fail "the program ended with status $?"
app_pid=''
[ -s "$work/track.mp3" ] || fail "the MP3 file was not written"

step "all checks passed"
