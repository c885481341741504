#!/usr/bin/env bash
# Installs what is missing, builds, and rips a track: from the CD in the drive
# when there is one, otherwise from the demo disc the build makes.
# Usage: scripts/run.sh [TRACK]   (default 2)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
track="${1:-2}"
output="$PWD/Track$(printf '%02d' "$track").mp3"

"$repo/scripts/install-deps.sh"
cmake -S "$repo" --preset default >/dev/null
cmake --build "$repo/build/default" -j2

rip="$repo/build/default/tools/kestrune-rip/kestrune-rip"
if compgen -G "/dev/sr[0-9]*" >/dev/null || [ -e /dev/cdrom ]; then
    "$rip" --track "$track" -o "$output"
else
    echo "No CD drive here: ripping track $track of the demo disc."
    "$rip" --disc "$repo/build/default/demo/demo.cue" --track "$track" -o "$output"
fi
