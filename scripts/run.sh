#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kestrune on a track: of the CD in
# the drive when there is one, otherwise of the demo disc the build makes.
# Usage: scripts/run.sh [TRACK]   (default 2)
# Without a display it rips the track with kestrune-rip into ./TrackNN.mp3.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
track="$(printf '%02d' "${1:-2}")"

"$repo/scripts/install-deps.sh"
cmake -S "$repo" --preset default >/dev/null
cmake --build "$repo/build/default" -j2

if ! compgen -G "/dev/sr[0-9]*" >/dev/null && [ ! -e /dev/cdrom ]; then
    echo "No CD drive here: using the demo disc."
    export DISCREAD_DRIVES="$repo/build/default/demo/demo.cue"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    # The program asks for the MP3 file, rips, and closes when the track is written.
    exec "$repo/build/default/bin/kestrune" "D:\\Track$track.cda"
fi
echo "No display: ripping with kestrune-rip instead."
exec "$repo/build/default/bin/kestrune-rip" --track "$track" -o "$PWD/Track$track.mp3"
