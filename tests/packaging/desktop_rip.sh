#!/usr/bin/env bash
# Rips track 1 of a disc image with a desktop program as a user would: on a
# desktop of its own, taking the save dialog's proposal, Track01.mp3 in the
# music folder, here FOLDER.
#
# Usage: desktop_rip.sh KESTRUNE DISC.cue FOLDER
set -euo pipefail

kestrune=${1:?usage: desktop_rip.sh KESTRUNE DISC OUTPUT}
disc=${2:?usage: desktop_rip.sh KESTRUNE DISC OUTPUT}
folder=${3:?usage: desktop_rip.sh KESTRUNE DISC FOLDER}
output="$folder/Track01.mp3"

# shellcheck source=../support/desktop_session.sh
source "$(dirname "$0")/../support/desktop_session.sh"
start_desktop
echo "XDG_MUSIC_DIR=\"$folder\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"

start_kestrune "$kestrune" "$disc" 'D:\Track01.cda'
answer_save_dialog
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_for 60 "the program did not end when the rip was done" ended
status=0
wait "$app_pid" || status=$?
app_pid=''
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ -s "$output" ] || fail "the program wrote no $output"
[ "$(tail -c 128 "$output" | head -c 3)" = TAG ] || fail "$output has no tag"
