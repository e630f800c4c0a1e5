#!/bin/bash
# Measures the options path of msgmake in paired runs against `base64 -w 76`
# on the same 50 MiB file: a 1 KiB --text message, a 50 MiB attachment and a
# 50 MB --text body. Each pair runs msgmake and base64 one after the other
# (which goes first alternating), both under `perf stat` and nothing else;
# the table shows the median ratio msgmake / base64 of CPU time (task-clock)
# and of wall time, with the interquartile range, and the peak RSS of one
# untimed run under /usr/bin/time. Inputs are made and outputs removed
# outside the timed runs, on tmpfs (/dev/shm). Compare ratios, not times.
#
# usage: bench/options_bench.sh [MSGMAKE...]   each binary measured in turn
#        (default: the msgmake of a fresh Release build in build-bench)
set -e
export LC_ALL=C SOURCE_DATE_EPOCH=1796126400
cd "$(dirname "$0")/.."
for tool in perf base64 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
binaries=("$@")
if [ ${#binaries[@]} -eq 0 ]; then
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMSGMAKE_TESTS=OFF >/dev/null
  cmake --build build-bench -j2 --target msgmake >/dev/null
  binaries=("$(pwd)/build-bench/msgmake")
fi
pairs=${MSGMAKE_BENCH_PAIRS:-9}
. bench/paired_runs.sh
work="$(mktemp -d /dev/shm/msgmake-options-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c 1024 /dev/urandom | base64 >small.txt
head -c 52428800 /dev/urandom >big.bin
head -c 37748736 /dev/urandom | base64 -w 100 | head -c 50000000 >big.txt

# One paired row: "median (q1-q3)" of column 1 (CPU) or 2 (wall).
spread() { read -r m q1 q3 < <(ratios "$1"); printf "%s (%s-%s)" "$m" "$q1" "$q3"; }

# measure BINARY LABEL ARGS...: one row.
measure() {
  local binary=$1 label=$2
  shift 2
  : >msgmake.txt
  : >yardstick.txt
  rm -f m.eml && "$binary" -o m.eml "$@"  # warms the caches
  for ((i = 0; i < pairs; i++)); do
    rm -f m.eml out
    if ((i % 2 == 0)); then
      timed msgmake.txt "$binary" -o m.eml "$@"
      timed yardstick.txt base64 -w 76 big.bin
    else
      timed yardstick.txt base64 -w 76 big.bin
      timed msgmake.txt "$binary" -o m.eml "$@"
    fi
  done
  rm -f m.eml
  /usr/bin/time -f %M -o rss.txt "$binary" -o m.eml "$@"
  printf "%-28s %-14s %-20s %-20s %9s %8s\n" "$(basename "$(dirname "$binary")")/$(basename "$binary")" "$label" \
    "$(spread 1)" "$(spread 2)" "$(median msgmake.txt 1)" "$(cat rss.txt)"
}

printf "%-28s %-14s %-20s %-20s %9s %8s\n" binary case "cpu ratio (IQR)" "wall ratio (IQR)" "cpu ms" "peak KiB"
for binary in "${binaries[@]}"; do
  measure "$binary" "1 KiB text" --text small.txt -t ann@example.com -s x
  measure "$binary" "50 MiB attach" --text small.txt -t ann@example.com -s x big.bin
  measure "$binary" "50 MB text" --text big.txt -t ann@example.com -s x
done
