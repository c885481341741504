#!/usr/bin/env bash
# Times kestrune-rip against the limit (the same PCM fed straight into
# libmp3lame, bench-raw-encode) and against the lame command on the same audio
# as WAV, on a 5-minute track of pseudo-music. Runs each in turn, repeated, and
# prints the medians and ratios. Target: kestrune-rip within 3 % of the limit
# and faster than lame.
#
# Wall-clock times on a shared machine wander by several per cent from run to
# run, so when valgrind is there the script also counts the instructions of
# kestrune-rip's threads and of the limit on a 20-second track: those repeat.
# Usage: bench/rip-speed.sh [REPEATS]   (default 11)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
repeats="${1:-11}"
build="$repo/build/default"

command -v lame >/dev/null || { echo "bench: needs the lame command (apt-get install lame)"; exit 1; }
cmake -S "$repo" --preset default >/dev/null
cmake --build "$build" -j2 >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Five minutes: 22500 sectors.
"$build/bin/mkdisc" "$work/music" audio:300:melody=7@-8
"$build/bench/bench-raw-encode" --wav "$work/music.bin" 0 22500 "$work/music.wav"

run_rip() { "$build/bin/kestrune-rip" --disc "$work/music.cue" --track 1 --quiet -o "$work/rip.mp3"; }
run_raw() { "$build/bench/bench-raw-encode" "$work/music.bin" 0 22500 "$work/raw.mp3"; }
run_lame() { lame --quiet -b 128 -q 5 --noreplaygain "$work/music.wav" "$work/lame.mp3"; }

source "$repo/bench/timing.sh"

: >"$work/rip.t"; : >"$work/raw.t"; : >"$work/lame.t"
run_rip; run_raw; run_lame  # warm the caches
for _ in $(seq "$repeats"); do
    seconds run_rip >>"$work/rip.t"
    seconds run_raw >>"$work/raw.t"
    seconds run_lame >>"$work/lame.t"
done
rip=$(median <"$work/rip.t"); raw=$(median <"$work/raw.t"); lame=$(median <"$work/lame.t")
rip_f=$(fastest <"$work/rip.t"); raw_f=$(fastest <"$work/raw.t"); lame_f=$(fastest <"$work/lame.t")
printf '%d runs each, 5:00 of audio at 128 kbit/s, quality 5 (median, fastest)\n' "$repeats"
printf '  kestrune-rip       %.3f s  %.3f s  (%.1fx real time)\n' "$rip" "$rip_f" "$(echo "300 / $rip" | bc -l)"
printf '  raw libmp3lame     %.3f s  %.3f s\n' "$raw" "$raw_f"
printf '  lame command       %.3f s  %.3f s\n' "$lame" "$lame_f"
printf '  kestrune-rip / raw   %.3f  %.3f  (target at most 1.030)\n' "$(echo "$rip / $raw" | bc -l)" \
    "$(echo "$rip_f / $raw_f" | bc -l)"
printf '  kestrune-rip / lame  %.3f  %.3f  (target below 1)\n' "$(echo "$rip / $lame" | bc -l)" \
    "$(echo "$rip_f / $lame_f" | bc -l)"
# Each repeat runs the three one after another, so the ratio within a repeat
# cancels the host's slower and faster minutes.
paired() { paste "$1" "$2" | awk '{ print $1 / $2 }' | median; }
printf '  ratios within a repeat, median: / raw %.3f, / lame %.3f\n' \
    "$(paired "$work/rip.t" "$work/raw.t")" "$(paired "$work/rip.t" "$work/lame.t")"

if command -v valgrind >/dev/null; then
    "$build/bin/mkdisc" "$work/short" audio:20:melody=7@-8
    # Instructions per thread: kestrune-rip measures loudness (ReplayGain) on a
    # thread of its own beside the encoder, so the busiest thread is what the
    # rip waits for and the sum is what it costs.
    threads() {
        local dir
        dir="$(mktemp -d)"
        valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$dir/out" "$@" \
            >/dev/null 2>&1
        awk '/^totals:/ { print $2 }' "$dir"/out*
        rm -rf "$dir"
    }
    rip_threads=$(threads "$build/bin/kestrune-rip" --disc "$work/short.cue" --quiet -o "$work/s1.mp3")
    raw_i=$(threads "$build/bench/bench-raw-encode" "$work/short.bin" 0 1500 "$work/s2.mp3" |
        awk '{ s += $1 } END { print s }')
    busiest=$(echo "$rip_threads" | sort -n | tail -1)
    total=$(echo "$rip_threads" | awk '{ s += $1 } END { print s }')
    printf 'instructions for 0:20 of audio (callgrind)\n'
    printf '  raw libmp3lame %s\n' "$raw_i"
    printf '  kestrune-rip, busiest thread %s, ratio %.4f\n' "$busiest" "$(echo "$busiest / $raw_i" | bc -l)"
    printf '  kestrune-rip, all threads    %s, ratio %.4f (loudness measured included)\n' "$total" \
        "$(echo "$total / $raw_i" | bc -l)"
fi
