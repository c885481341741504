#!/usr/bin/env bash
# kestrune-rip --all against ripping the tracks one at a time.
#
# Images: four one-minute tracks of pseudo-music, ripped one at a time (four
# runs of --track), then with --all on the image (one continuous read, the
# tracks encoded at once) and with --all as a drive would be ripped (the image
# listed as a drive, so read through the drive's verified reading, which reads
# every sector twice: more work for the reader, the same for the encoders). Target: --all at
# least 1.8 times as fast as one at a time on one core, on 2 cores. A single
# rip measures its loudness (ReplayGain) on a thread beside the encoder, which
# an idle second core hides; so "one at a time" runs on one core, where every
# part of the work is paid for as in --all, and the unpinned figure is shown
# beside it.
#
# A drive: ten four-minute tracks (40 minutes) read through the simulated drive
# at 24x (DISCREAD_SIMULATE), which paces reads as a drive of that speed would.
# Target: the whole rip within 5 % of one pass of reading (100 s at 24x), and
# the peak memory (GNU time's maximum resident set) under 64 MB. The drive is
# read plainly (nParanoiaMode=0), each sector once: the verified reading reads
# every sector twice, which doubles the drive's time whatever the ripper does.
# Usage: bench/rip-all.sh [REPEATS] [--no-drive]   (default 5 repeats)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
repeats="${1:-5}"
drive=yes
[ "${2:-}" = --no-drive ] && drive=no
build="$repo/build/default"
cmake -S "$repo" --preset default >/dev/null
cmake --build "$build" -j2 >/dev/null
rip="$build/bin/kestrune-rip"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

source "$repo/bench/timing.sh"

"$build/bin/mkdisc" "$work/four" audio:60:melody=3@-8 audio:60:melody=5@-8 audio:60:melody=7@-8 \
    audio:60:melody=9@-8 >/dev/null
one_at_a_time() {
    for n in 1 2 3 4; do "$rip" --disc "$work/four.cue" --track "$n" --quiet -o "$work/one$n.mp3"; done
}
one_core() {
    for n in 1 2 3 4; do
        taskset -c 0 "$rip" --disc "$work/four.cue" --track "$n" --quiet -o "$work/one$n.mp3"
    done
}
all_image() { "$rip" --disc "$work/four.cue" --all --quiet -o "$work/image%n.mp3"; }
all_read() { DISCREAD_DRIVES="$work/four.cue" "$rip" --all --quiet -o "$work/read%n.mp3"; }

one_at_a_time; all_image; all_read # warm the caches
: >"$work/one.t"; : >"$work/free.t"; : >"$work/image.t"; : >"$work/read.t"
for _ in $(seq "$repeats"); do
    seconds one_core >>"$work/one.t"
    seconds one_at_a_time >>"$work/free.t"
    seconds all_image >>"$work/image.t"
    seconds all_read >>"$work/read.t"
done
# figures STATISTIC: the four timings and the two speed-ups by one statistic.
figures() {
    local one free image read
    one=$($1 <"$work/one.t"); free=$($1 <"$work/free.t")
    image=$($1 <"$work/image.t"); read=$($1 <"$work/read.t")
    printf '%s of %d runs, 4 x 1:00 of audio from an image, %d cores\n' "$1" "$repeats" "$(nproc)"
    printf '  one at a time, one core %.3f s\n' "$one"
    printf '  one at a time, any core %.3f s  (--all is %.2fx and %.2fx of it)\n' "$free" \
        "$(echo "$free / $image" | bc -l)" "$(echo "$free / $read" | bc -l)"
    printf '  --all on the image      %.3f s  (%.2fx one at a time; target at least 1.80)\n' "$image" \
        "$(echo "$one / $image" | bc -l)"
    printf '  --all, read as a drive  %.3f s  (%.2fx one at a time; target at least 1.80)\n' "$read" \
        "$(echo "$one / $read" | bc -l)"
}
figures median
figures fastest
# Each repeat times all four in turn, so a ratio within a repeat cancels the
# host's slower and faster minutes.
paired() { paste "$work/one.t" "$1" | awk '{ print $1 / $2 }' | median; }
printf 'ratios within a repeat, median: --all on the image %.2fx, read as a drive %.2fx\n' \
    "$(paired "$work/image.t")" "$(paired "$work/read.t")"

[ "$drive" = yes ] || exit 0
tracks=()
for n in $(seq 10); do tracks+=("audio:240:melody=$n@-8"); done
"$build/bin/mkdisc" "$work/album" "${tracks[@]}" >/dev/null
# 40 minutes at 24x: 180000 sectors at 1800 a second.
pass=$(echo "180000 / (24 * 75)" | bc -l)
start=$(date +%s.%N)
mkdir -p "$work/plain/kestrune"
printf '[CD-ROM]\nnParanoiaMode=0\n' >"$work/plain/kestrune/discread.ini"
XDG_CONFIG_HOME="$work/plain" DISCREAD_DRIVES="$work/album.cue" DISCREAD_SIMULATE="speed=24,seek=80ms" \
    /usr/bin/time -f '%M' -o "$work/memory" "$rip" --all --quiet -o "$work/album%n.mp3"
end=$(date +%s.%N)
total=$(echo "$end - $start" | bc -l)
printf '10 x 4:00 of audio from a simulated 24x drive\n'
printf '  one pass of reading     %.1f s\n' "$pass"
printf '  --all                   %.1f s  (%.3f of one pass; target at most 1.050)\n' "$total" \
    "$(echo "$total / $pass" | bc -l)"
printf '  peak memory             %.1f MB  (target under 64)\n' "$(echo "$(cat "$work/memory") / 1024" | bc -l)"
