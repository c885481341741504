#!/usr/bin/env bash
# Kestrune reached as Linux desktops reach it: the arguments GNOME Files,
# Dolphin and the audio-CD notifiers hand over, each ripping the track of the
# drive it names, on a real X display. Two drives (disc images behind links
# named like device nodes, sr0 and sr1) of different track lengths tell which
# track of which disc was ripped; the save dialog's proposal (TrackNN.mp3 in
# the music folder) is taken as it stands.
#
# Usage: desktop_reach_test.sh KESTRUNE MKDISC
set -euo pipefail

kestrune=${1:?usage: desktop_reach_test.sh KESTRUNE MKDISC}
mkdisc=${2:?usage: desktop_reach_test.sh KESTRUNE MKDISC}

# shellcheck source=../support/desktop_session.sh
source "$(dirname "$0")/../support/desktop_session.sh"
start_desktop

step "two drives: sr0 holds tracks of 2 and 3 seconds, sr1 of 6 and 9 seconds"
mkdir -p "$work/discs" "$work/drives"
"$mkdisc" "$work/discs/first" audio:2:sine=440@-9 audio:3:sine=660@-9 >"$work/mkdisc.log" 2>&1 ||
    fail "mkdisc failed"
"$mkdisc" --title "Second Disc" "$work/discs/second" audio:6:sine=330@-9,title=Morning \
    audio:9:sine=550@-9,title=Evening >>"$work/mkdisc.log" 2>&1 || fail "mkdisc failed"
ln -s "$work/discs/first.cue" "$work/drives/sr0"
ln -s "$work/discs/second.cue" "$work/drives/sr1"
export DISCREAD_DRIVES="$work/drives/sr0:$work/drives/sr1"
music="$HOME/Music"
mkdir -p "$music"
echo "XDG_MUSIC_DIR=\"$music\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"

ended() { ! kill -0 "$app_pid" 2>/dev/null; }
finish() {
    wait_for 60 "the program did not end when the rip was done" ended
    local status=0
    wait "$app_pid" || status=$?
    app_pid=''
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
start() { start_kestrune "$kestrune" '' "$1"; }
# rip_expecting ARGUMENT NAME SECONDS: the argument rips a track of that many
# seconds into the music folder under NAME.
seconds_of() {
    # 128 kbit/s: 16000 bytes a second, and a little for the header and the tag.
    local size
    size=$(stat -c %s "$1")
    echo $(((size + 8000) / 16000))
}
expect_file() {
    local name=$1 seconds=$2
    [ -f "$music/$name" ] || fail "no $music/$name (the folder holds: $(ls "$music"))"
    local got
    got=$(seconds_of "$music/$name")
    [ "$got" -eq "$seconds" ] || fail "$name holds $got seconds, not $seconds"
    [ "$(tail -c 128 "$music/$name" | head -c 3)" = TAG ] || fail "$name has no tag"
    rm -f "$music/$name"
}
rip_expecting() {
    step "$1 rips the track of $3 seconds into $2"
    start "$1"
    answer_save_dialog
    finish
    expect_file "$2" "$3"
}

rip_expecting 'cdda://sr1/Track%202.wav' Track02.mp3 9
rip_expecting '/run/user/1000/gvfs/cdda:host=sr1/Track 1.wav' Track01.mp3 6
rip_expecting "file:///run/user/1000/gvfs/cdda:host=sr0/Track%202.wav" Track02.mp3 3
rip_expecting "audiocd:/Track 02.wav?device=$work/drives/sr1" Track02.mp3 9
rip_expecting "audiocd:/Track 01.wav?device=$work/discs/second.cue" Track01.mp3 6
rip_expecting 'audiocd:/Track 02.wav' Track02.mp3 3
rip_expecting 'D:\Track01.cda' Track01.mp3 2
# The program's own form keeps its rule: the first drive, whatever the letter.
rip_expecting 'E:\Track02.cda' Track02.mp3 3

step "a whole disc (the inserted audio CD): the chooser lists its tracks, the second is taken"
start 'cdda://sr1/'
wait_for 20 "no chooser of the disc's tracks" visible_named '^Kestrune$'
chooser=$(visible_named '^Kestrune$' | head -n 1)
x xdotool windowactivate --sync "$chooser"
sleep 0.3
x xdotool key Down
x xdotool key Return
answer_save_dialog
finish
expect_file Track02.mp3 9

step "the chooser cancelled leaves the window idle; its cross ends the program"
start "audiocd:/?device=$work/drives/sr0"
wait_for 20 "no chooser of the disc's tracks" visible_named '^Kestrune$'
chooser=$(visible_named '^Kestrune$' | head -n 1)
x xdotool windowactivate --sync "$chooser"
x xdotool key Escape
wait_for 10 "the chooser did not close" gone_named '^Kestrune$'
gone_named '^Save As$' || fail "the save dialog opened after the chooser was cancelled"
window=$(visible_named '^Kestrune v 1\.0$' | head -n 1)
[ -n "$window" ] || fail "the main window is not shown"
eval "$(x xdotool getwindowgeometry --shell "$window")"
x xdotool mousemove $((X + 298 + 6)) $((Y + 3 + 6))
sleep 0.3
x xdotool click 1
finish
[ -z "$(ls "$music")" ] || fail "a file was written: $(ls "$music")"

step "a drive the desktop names that is not there: the disc is refused"
start 'cdda://sr5/Track%201.wav'
wait_for 20 "no message for a missing drive" visible_named '^Kestrune$'
message=$(visible_named '^Kestrune$' | head -n 1)
x xdotool windowactivate --sync "$message"
x xdotool key Return
finish

step "all checks passed"
