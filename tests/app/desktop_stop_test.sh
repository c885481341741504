#!/usr/bin/env bash
# The desktop program asked to end from outside while it rips: SIGTERM from
# the session, SIGHUP from a terminal that went, Ctrl-C, the display's
# connection lost. Each ends the program as the Close control does, with the
# shorter file finished under its name. A program killed outright leaves its
# hidden part, which the next rip in that folder takes away.
#
# Usage: desktop_stop_test.sh KESTRUNE MKDISC KESTRUNE_RIP
set -euo pipefail

kestrune=${1:?usage: desktop_stop_test.sh KESTRUNE MKDISC KESTRUNE_RIP}
mkdisc=${2:?usage: desktop_stop_test.sh KESTRUNE MKDISC KESTRUNE_RIP}
ripper=${3:?usage: desktop_stop_test.sh KESTRUNE MKDISC KESTRUNE_RIP}

# shellcheck source=../support/desktop_session.sh
source "$(dirname "$0")/../support/desktop_session.sh"
start_desktop

"$mkdisc" "$work/disc" audio:1200:sine=440@-20 >"$work/mkdisc.log" 2>&1 || fail "mkdisc failed"
"$mkdisc" "$work/short" audio:1 >>"$work/mkdisc.log" 2>&1 || fail "mkdisc failed"
mkdir "$work/out"
# The save dialog proposes Track01.mp3 there; taking it needs no typing.
echo "XDG_MUSIC_DIR=\"$work/out\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"
full=$((1200 * 16000))

ended() { ! kill -0 "$app_pid" 2>/dev/null; }
parts() { find "$work/out" -maxdepth 1 -name '.*.part' | wc -l; }
part_size() {
    local part
    part=$(find "$work/out" -maxdepth 1 -name '.*.part' | head -n 1)
    [ -n "$part" ] && stat -c %s "$part" || echo 0
}
part_larger_than() { [ "$(part_size)" -gt "$1" ]; }
# Starts the program and takes its save dialog's proposal, out/Track01.mp3.
# The disc is read as a drive of 40 times real time, so the track takes half a
# minute however fast the machine is: whatever comes once the rip has got on
# comes mid-rip.
start_rip() {
    DISCREAD_SIMULATE=speed=40 start_kestrune "$kestrune" "$work/disc.cue" 'D:\Track01.cda'
    answer_save_dialog
    wait_for 30 "the rip did not get on" part_larger_than 1000000
}
# finish STATUS: the program ends with STATUS.
finish() {
    wait_for 30 "the program did not end" ended
    local status=0
    wait "$app_pid" || status=$?
    app_pid=''
    [ "$status" -eq "$1" ] || fail "the program ended with status $status, not $1"
}
expect_shorter_file() {
    [ -f "$1" ] || fail "no $1"
    local size
    size=$(stat -c %s "$1")
    [ "$size" -gt 1000000 ] && [ "$size" -lt "$full" ] || fail "$1 holds $size bytes: not a shorter rip"
    [ "$(tail -c 128 "$1" | head -c 3)" = TAG ] || fail "$1 was not finished: it has no tag"
    [ "$(parts)" -eq 0 ] || fail "a hidden part is left: $(ls -a "$work/out")"
}

for signal in TERM HUP INT; do
    step "SIG$signal mid-rip finishes the shorter file as Close does"
    start_rip
    kill -s "$signal" "$app_pid"
    finish 0
    expect_shorter_file "$work/out/Track01.mp3"
    mv "$work/out/Track01.mp3" "$work/out/$signal.mp3"
done

step "SIGTERM at the save dialog cancels it and ends the program"
start_kestrune "$kestrune" "$work/disc.cue" 'D:\Track01.cda'
wait_for 20 "the save dialog did not open" visible_named '^Save As$'
kill -s TERM "$app_pid"
finish 0

step "a program killed outright leaves its part; the next rip in the folder takes it away"
start_rip
kill -s KILL "$app_pid"
finish 137
[ "$(parts)" -eq 1 ] || fail "the killed rip left no part"
[ ! -e "$work/out/Track01.mp3" ] || fail "the killed rip left a file under its name"
# Parts younger than a minute may be a starting writer's: this one is older.
touch -d '2 minutes ago' "$work/out"/.Track01.mp3.*.part
XDG_CONFIG_HOME="$work/config" "$ripper" --disc "$work/short.cue" --quiet -o "$work/out/next.mp3" ||
    fail "the next rip failed"
[ "$(parts)" -eq 0 ] || fail "the next rip left the dead one's part: $(ls -a "$work/out")"

step "the display's connection lost mid-rip: the shorter file is finished"
start_rip
stop "$xvfb_pid"
xvfb_pid=''
unset DISPLAY
# Qt ends a program whose display went with status 1.
finish 1
expect_shorter_file "$work/out/Track01.mp3"

step "all checks passed"
