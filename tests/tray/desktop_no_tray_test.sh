#!/usr/bin/env bash
# A desktop without a notification area (stock GNOME, a bare window manager):
# the tick must not withdraw the window where no icon could bring it back. It
# minimises it instead; a notification area that comes later gets the icon,
# and one that goes while the window is in it gives the window back minimised.
#
# Usage: desktop_no_tray_test.sh KESTRUNE MKDISC
set -euo pipefail

kestrune=${1:?usage: desktop_no_tray_test.sh KESTRUNE MKDISC}
mkdisc=${2:?usage: desktop_no_tray_test.sh KESTRUNE MKDISC}

# shellcheck source=../support/desktop_session.sh
source "$(dirname "$0")/../support/desktop_session.sh"
start_desktop --no-tray

step "the program, its save dialog cancelled, on a desktop without a notification area"
"$mkdisc" "$work/disc" audio:30 >"$work/mkdisc.log" 2>&1 || fail "mkdisc failed"
start_kestrune "$kestrune" "$work/disc.cue" 'D:\Track01.cda'
answer_save_dialog --cancel
wait_for 10 "the main window is not shown" visible_named '^Kestrune v 1\.0$'
window=$(visible_named '^Kestrune v 1\.0$' | head -n 1)

step "the tick minimises the window instead of withdrawing it"
x xdotool windowactivate --sync "$window"
click_tick "$window"
wait_for 10 "the tick did not minimise the window (map state $(map_state "$window"))" \
    iconified "$window"
sleep 1
iconified "$window" || fail "the minimised window did not stay minimised"

step "the window manager gives the window back"
x xdotool windowactivate "$window"
wait_for 10 "activating the minimised window did not show it" viewable "$window"

step "a notification area that comes later gets the icon; the tick then hides into it"
start_tint2
wait_for 20 "the icon did not dock when the notification area came" icon_docked
x xdotool windowactivate --sync "$window"
click_tick "$window"
wait_for 10 "with a notification area the tick did not hide the window" withdrawn "$window"

step "the notification area goes while the window is in it: the window comes back minimised"
stop "$tint2_pid"
tint2_pid=''
wait_for 10 "the window stayed withdrawn with the notification area gone" iconified "$window"
x xdotool windowactivate "$window"
wait_for 10 "activating the window did not show it" viewable "$window"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended on the way"

step "all checks passed"
