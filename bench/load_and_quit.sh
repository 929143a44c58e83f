#!/bin/sh
# The whole program loading a data file, beside the floor (bench/floor.cpp:
# the same file read in 1 MiB blocks, its TABs and line ends counted) and the
# floor that keeps the file's bytes in fresh memory (load_floor --keep: what
# any program holding the file's text must at least do) in the same round:
# vornik-pc --load-and-quit FILE, ROUNDS times (default 7), the three
# interleaved. Each is timed from outside, start to exit, with the
# processor time of the process (user + system, all threads). Prints each
# round, the medians with their spread and the ratio to the floor.
#   bench/load_and_quit.sh build/vornik-pc FILE [ROUNDS]
# The floor program is looked for beside the program (build/bench/load_floor);
# FLOOR=PATH names another.
set -eu
program=$1
file=$2
rounds=${3:-7}
floor=${FLOOR:-$(dirname "$program")/bench/load_floor}
out=$(mktemp)
trap 'rm -f "$out" "$out".*' EXIT
cat "$file" > /dev/null  # in the page cache, as for every round after

now() { date +%s%N; }
# Processor seconds of all finished children of this shell: the second line
# of `times` (user and system as 0m1.234s), written by this shell itself
# (in a subshell it would count the subshell's children).
children_cpu() {
    times > "$out.times"
    awk 'NR == 2 { t = 0; for (i = 1; i <= 2; ++i) { split($i, p, "m"); t += p[1] * 60 + p[2] } printf "%.3f", t }' \
        "$out.times"
}
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

i=0
while [ "$i" -lt "$rounds" ]; do
    children_cpu > "$out.cpu0"
    start=$(now)
    "$floor" "$file" > /dev/null
    floorWall=$(seconds "$start" "$(now)")
    children_cpu > "$out.cpuK"
    start=$(now)
    "$floor" --keep "$file" > /dev/null
    keepWall=$(seconds "$start" "$(now)")
    children_cpu > "$out.cpu1"
    start=$(now)
    "$program" --load-and-quit "$file" 2>/dev/null > "$out.run"
    wall=$(seconds "$start" "$(now)")
    children_cpu > "$out.cpu2"
    floorCpu=$(minus "$(cat "$out.cpu0")" "$(cat "$out.cpuK")")
    keepCpu=$(minus "$(cat "$out.cpuK")" "$(cat "$out.cpu1")")
    cpu=$(minus "$(cat "$out.cpu1")" "$(cat "$out.cpu2")")
    load=$(sed -n 's/^load: \([0-9.]*\) s$/\1/p' "$out.run")
    paint=$(sed -n 's/^start to first paint: \([0-9.]*\) s$/\1/p' "$out.run")
    peak=$(sed -n 's/^peak resident memory: \([0-9]*\) MiB$/\1/p' "$out.run")
    ratio=$(awk -v a="$wall" -v b="$floorWall" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    keepRatio=$(awk -v a="$wall" -v b="$keepWall" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    echo "$floorWall $wall $ratio $cpu $floorCpu $load $paint $peak $keepWall $keepRatio $keepCpu" >> "$out"
    echo "round $((i + 1)): floor $floorWall s ($floorCpu s processor), keeping the bytes $keepWall s ($keepCpu s)," \
         "program $wall s ($cpu s processor), $ratio x the floor, $keepRatio x keeping the bytes;" \
         "load $load s, start to first paint $paint s, peak $peak MiB"
    i=$((i + 1))
done
# Median and range of column $1.
stat() { sort -g -k"$1" "$out" | awk -v c="$1" '{v[NR]=$c} END {printf "%s (%s to %s)", v[int((NR+1)/2)], v[1], v[NR]}'; }
echo "floor: $(stat 1) s, processor $(stat 5) s"
echo "keeping the bytes: $(stat 9) s, processor $(stat 11) s"
echo "whole program: $(stat 2) s, processor $(stat 4) s"
echo "  of which start to first paint $(stat 7) s, load $(stat 6) s"
echo "peak resident memory: $(stat 8) MiB"
echo "whole program / floor per round: median $(stat 3)"
echo "whole program / keeping the bytes per round: median $(stat 10)"
awk '{ if ($5 > 0) print $4 / $5 }' "$out" | sort -g |
    awk '{v[NR]=$1} END {printf "processor time / that of the floor per round: median %.1f (%.1f to %.1f)\n", v[int((NR+1)/2)], v[1], v[NR]}'
