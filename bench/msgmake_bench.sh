#!/bin/bash
# Measures msgmake against a yardstick in paired runs: a draft with a 1 KiB
# attachment against `mpack -s x -o out in`, and with a 10 MiB and a 50 MiB
# attachment against `base64 -w 76 in > out`, once on tmpfs (/dev/shm) and once
# on the disk (a folder in the build directory; its file system is printed).
#
# Each pair runs msgmake and the yardstick one after the other, which one goes
# first alternating from pair to pair, both under `perf stat` and nothing
# else. Each pair gives a ratio msgmake / yardstick of CPU time (user + sys,
# perf's task-clock) and of wall time; the table shows the median ratio and
# the spread as the interquartile range (first to third quartile). Making the
# input and removing the outputs (mpack refuses to replace its own) happen
# outside the timed runs. Peak RSS comes from one untimed run under
# /usr/bin/time. Other work on the machine makes single runs noisy: compare
# ratios, not times.
#
# usage: bench/msgmake_bench.sh      (needs perf and Debian's mpack and time)
#        MSGMAKE_BENCH_BUILD=build-x bench/msgmake_bench.sh   measures the
#        msgmake of an existing build directory instead of a fresh Release one.
set -e
export LC_ALL=C
cd "$(dirname "$0")/.."
for tool in perf mpack base64 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (apt-get install mpack time)" >&2; exit 1; }
done
build="${MSGMAKE_BENCH_BUILD:-}"
if [ -z "$build" ]; then
  build=build-bench
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMSGMAKE_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target msgmake >/dev/null
fi
build="$(cd "$build" && pwd)"
msgmake="$build/msgmake"

shm="$(mktemp -d /dev/shm/msgmake-bench.XXXXXX)"
disk="$(mktemp -d "$build/msgmake-bench.XXXXXX")"
trap 'rm -rf "$shm" "$disk"' EXIT
F=$'\xdd'
call="MakeEMLAttachmentFileSW('out.eml','0','ann@example.com','x','0','Arial','0','10','','','','','')${F}in${F}"

. bench/paired_runs.sh

# The outputs of the previous run go before each run, untimed.
run_msgmake() { rm -f out.eml out; timed msgmake.txt "$msgmake" "$call"; }
run_yardstick() {
  rm -f out.mime out
  if [ "$yardstick" = mpack ]; then
    timed yardstick.txt mpack -s x -o out.mime in
  else
    timed yardstick.txt base64 -w 76 in
  fi
}

# measure LABEL:FOLDER SIZE PAIRS YARDSTICK SIZE_LABEL: one table row.
measure() {
  local label=${1%%:*} size=$2 pairs=$3
  yardstick=$4
  cd "${1#*:}"
  rm -rf in out* WRK
  head -c "$size" /dev/urandom >in
  : >msgmake.txt
  : >yardstick.txt
  run_msgmake  # warms the caches; not counted
  : >msgmake.txt
  for ((i = 0; i < pairs; i++)); do
    if ((i % 2 == 0)); then run_msgmake; run_yardstick; else run_yardstick; run_msgmake; fi
  done
  rm -f out.eml
  /usr/bin/time -f %M -o rss.txt "$msgmake" "$call"
  read -r cpu q1 q3 < <(ratios 1)
  read -r wall w1 w3 < <(ratios 2)
  printf "%-6s %-7s %-8s %5d  %5.2f (%4.2f-%4.2f)  %5.2f (%4.2f-%4.2f) %9.2f %9.2f %8d\n" \
    "$label" "$5" "$yardstick" "$pairs" \
    "$cpu" "$q1" "$q3" "$wall" "$w1" "$w3" "$(median msgmake.txt 1)" "$(median yardstick.txt 1)" \
    "$(cat rss.txt)"
  cd - >/dev/null
}

echo "tmpfs: $shm; disk: $disk ($(stat -f -c %T "$disk"))"
printf "%-6s %-7s %-8s %5s  %-17s  %-17s %9s %9s %8s\n" place size against pairs \
  "cpu ratio (IQR)" "wall ratio (IQR)" "msgmake" "against" "peak KiB"
printf "%-6s %-7s %-8s %5s  %-17s  %-17s %9s %9s %8s\n" "" "" "" "" "" "" "cpu ms" "cpu ms" msgmake
for place in "tmpfs:$shm" "disk:$disk"; do
  measure "$place" 1024 41 mpack "1 KiB"
  measure "$place" 10485760 9 base64 "10 MiB"
  measure "$place" 52428800 7 base64 "50 MiB"
done
