#!/usr/bin/env bash
# kestrune-rip --all against ripping the tracks one at a time.
#
# Images: four one-minute tracks of pseudo-music, ripped one at a time (four
# runs of --track), then with --all on the image (one continuous read, the
# tracks encoded at once) and with --all as a drive would be ripped (the image
# listed as a drive, so read through the drive's verified reading, which reads
# every sector twice: more work for the reader, the same for the encoders). Target: --all at
# least 1.8 times as fast as one at a time on one core, on 2 cores. The host's
# own ceiling is timed beside it: the same four tracks fed straight into
# libmp3lame (bench-raw-encode), one after another against two at a time. A
# virtual machine's two cores need not give twice the work of one (they may
# share a physical core or its caches with other guests), and no ripper beats
# that ratio, so --all is also shown as a share of it. A single
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
raw() { "$build/bench/bench-raw-encode" "$work/four.bin" $(($1 * 4500)) $((($1 + 1) * 4500)) "$work/raw$1.mp3"; }
raw_one_at_a_time() { raw 0; raw 1; raw 2; raw 3; }
raw_two_at_a_time() {
    { raw 0; raw 2; } &
    raw 1; raw 3
    wait
}

one_at_a_time; all_image; all_read; raw_two_at_a_time # warm the caches
: >"$work/one.t"; : >"$work/free.t"; : >"$work/image.t"; : >"$work/read.t"
: >"$work/raw_one.t"; : >"$work/raw_two.t"
for _ in $(seq "$repeats"); do
    seconds raw_one_at_a_time >>"$work/raw_one.t"
    seconds raw_two_at_a_time >>"$work/raw_two.t"
    seconds one_core >>"$work/one.t"
    seconds one_at_a_time >>"$work/free.t"
    seconds all_image >>"$work/image.t"
    seconds all_read >>"$work/read.t"
done
# figures STATISTIC: the four timings and the two speed-ups by one statistic.
figures() {
    local one free image read raw_one raw_two
    one=$($1 <"$work/one.t"); free=$($1 <"$work/free.t")
    image=$($1 <"$work/image.t"); read=$($1 <"$work/read.t")
    raw_one=$($1 <"$work/raw_one.t"); raw_two=$($1 <"$work/raw_two.t")
    printf '%s of %d runs, 4 x 1:00 of audio from an image, %d cores\n' "$1" "$repeats" "$(nproc)"
    printf '  bare encoder, 1 then 1  %.3f s\n' "$raw_one"
    printf '  bare encoder, 2 at once %.3f s  (%.2fx: the host'"'"'s ceiling)\n' "$raw_two" \
        "$(echo "$raw_one / $raw_two" | bc -l)"
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
paired() { paste "$1" "$2" | awk '{ print $1 / $2 }' | median; }
ceiling=$(paired "$work/raw_one.t" "$work/raw_two.t")
image=$(paired "$work/one.t" "$work/image.t")
read=$(paired "$work/one.t" "$work/read.t")
printf 'ratios within a repeat, median: the host'"'"'s ceiling %.2fx; --all on the image %.2fx (%.0f %% of\n' \
    "$ceiling" "$image" "$(echo "100 * $image / $ceiling" | bc -l)"
printf '  the ceiling), read as a drive %.2fx (%.0f %%)\n' "$read" "$(echo "100 * $read / $ceiling" | bc -l)"

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
