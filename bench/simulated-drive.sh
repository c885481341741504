#!/usr/bin/env bash
# Times kestrune-rip on a 5-minute track of pseudo-music read from a simulated
# 24x drive (DISCREAD_SIMULATE=speed=24) against the pure read time, what the
# drive needs for the track's sectors alone: 22500 / (24 * 75) = 12.5 s. The
# reading library reads ahead while the encoder works, so the rip should take
# hardly longer than the reading. Target: rip time / pure read time at most
# 1.05.
#
# The drive is read plainly (nParanoiaMode=0), each sector once. The verified
# reading reads every sector twice to compare the reads, which doubles the
# drive's time whatever the ripper does: one such rip is timed too, against
# twice the pure read time, for information.
# Usage: bench/simulated-drive.sh [REPEATS]   (default 3)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
repeats="${1:-3}"
build="$repo/build/default"

command -v bc >/dev/null || { echo "bench: needs bc (apt-get install bc)"; exit 1; }
cmake -S "$repo" --preset default >/dev/null
cmake --build "$build" -j2 >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Five minutes: 22500 sectors.
"$build/bin/mkdisc" "$work/music" audio:300:melody=7@-8 >/dev/null
sectors=22500
speed=24
pure=$(echo "$sectors / ($speed * 75)" | bc -l)
# Settings of their own: plain reads for the timed runs, the default for the last.
mkdir -p "$work/plain/kestrune" "$work/verified/kestrune"
printf '[CD-ROM]\nnParanoiaMode=0\n' >"$work/plain/kestrune/discread.ini"

run_rip() {
    XDG_CONFIG_HOME="$work/$1" DISCREAD_SIMULATE="speed=$speed" \
        "$build/bin/kestrune-rip" --disc "$work/music.cue" --track 1 --quiet -o "$work/rip.mp3"
}
source "$repo/bench/timing.sh"

: >"$work/rip.t"
for _ in $(seq "$repeats"); do
    seconds run_rip plain >>"$work/rip.t"
done
rip=$(median <"$work/rip.t")
verified=$(seconds run_rip verified)
printf 'median of %d runs, 5:00 of audio from a simulated %dx drive, 128 kbit/s, quality 5\n' \
    "$repeats" "$speed"
printf '  pure read time              %.3f s\n' "$pure"
printf '  kestrune-rip, plain reads   %.3f s\n' "$rip"
printf '  rip / pure read time          %.3f  (target at most 1.050)\n' "$(echo "$rip / $pure" | bc -l)"
printf '  kestrune-rip, verified      %.3f s  (one run; %.3f of twice the pure read time)\n' \
    "$verified" "$(echo "$verified / (2 * $pure)" | bc -l)"
