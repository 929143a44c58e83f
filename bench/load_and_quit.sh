#!/bin/sh
# The whole program loading a data file, beside `wc -l` on the same file in
# the same round: vornik-pc --load-and-quit FILE, ROUNDS times (default 7),
# the two interleaved. Prints each round and the medians with their spread.
#   bench/load_and_quit.sh build/vornik-pc FILE [ROUNDS]
set -eu
program=$1
file=$2
rounds=${3:-7}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
cat "$file" > /dev/null  # in the page cache, as for every round after
i=0
while [ "$i" -lt "$rounds" ]; do
    start=$(date +%s%N)
    wc -l "$file" > /dev/null
    wc=$(awk -v a="$start" -v b="$(date +%s%N)" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
    "$program" --load-and-quit "$file" 2>/dev/null > "$out.run"
    load=$(sed -n 's/^load: \([0-9.]*\) s$/\1/p' "$out.run")
    cpu=$(sed -n 's/^load processor time: \([0-9.]*\) s$/\1/p' "$out.run")
    paint=$(sed -n 's/^start to first paint: \([0-9.]*\) s$/\1/p' "$out.run")
    peak=$(sed -n 's/^peak resident memory: \([0-9]*\) MiB$/\1/p' "$out.run")
    echo "$wc $load $paint $peak $cpu" >> "$out"
    echo "round $((i + 1)): wc -l $wc s, load $load s ($cpu s processor), start to first paint $paint s, peak $peak MiB"
    i=$((i + 1))
done
rm -f "$out.run"
# Median and range of column $1.
stat() { sort -n -k"$1" "$out" | awk -v c="$1" '{v[NR]=$c} END {printf "%s (%s to %s)", v[int((NR+1)/2)], v[1], v[NR]}'; }
echo "wc -l: $(stat 1) s"
echo "load: $(stat 2) s"
echo "load processor time (all threads): $(stat 5) s"
echo "start to first paint: $(stat 3) s"
echo "peak resident memory: $(stat 4) MiB"
awk '{ if ($1 > 0) print $2 / $1 }' "$out" | sort -n | awk '{v[NR]=$1} END {printf "load / wc -l per round: median %.1f (%.1f to %.1f)\n", v[int((NR+1)/2)], v[1], v[NR]}'
