# Sourced by the benchmark scripts.
# seconds COMMAND...: runs COMMAND and prints the wall-clock seconds it took.
seconds() { local start end; start=$(date +%s.%N); "$@"; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
# median: the median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# fastest: the smallest of the numbers on standard input. On a shared host the
# same run wanders by 10 % and more from one minute to the next; the fastest of
# several runs is the one least disturbed, so ratios are shown for both.
fastest() { sort -g | head -n 1; }
# The benchmarks time ripping, not the network.
export KESTRUNE_OFFLINE=1
