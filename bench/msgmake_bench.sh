#!/bin/bash
# Measures msgmake writing a draft with one attachment of 1 KiB, 10 MiB and
# 50 MiB, beside mpack attaching the same file and `base64 -w 76` of it, in
# the same run. Prints the best wall time of several runs, the throughput and
# the peak resident memory of each.
#
# usage: bench/msgmake_bench.sh      (needs Debian's mpack and time packages)
#        MSGMAKE_BENCH_BUILD=build-x bench/msgmake_bench.sh   measures the
#        msgmake of an existing build directory instead of a fresh Release one.
set -e
cd "$(dirname "$0")/.."
for tool in mpack /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (apt-get install mpack time)" >&2; exit 1; }
done
build="${MSGMAKE_BENCH_BUILD:-}"
if [ -z "$build" ]; then
  build=build-bench
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMSGMAKE_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target msgmake >/dev/null
fi
msgmake="$(cd "$build" && pwd)/msgmake"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
F=$'\xdd'
call="MakeEMLAttachmentFileSW('out.eml','0','ann@example.com','Bench','0','Arial','0','10','','','','','')${F}in.bin${F}"

# best_ns RUNS COMMAND...: the shortest wall time in nanoseconds.
best_ns() {
  local runs=$1 best=0 start end
  shift
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    if ((best == 0 || end - start < best)); then best=$((end - start)); fi
  done
  echo "$best"
}

# peak_kib COMMAND...: the peak resident set of one run, in KiB.
peak_kib() {
  /usr/bin/time -f %M -o rss.txt "$@" >/dev/null 2>&1
  cat rss.txt
}

report() {
  local tool=$1 size=$2 ns=$3 kib=$4
  awk -v t="$tool" -v s="$size" -v ns="$ns" -v k="$kib" 'BEGIN {
    ms = ns / 1e6; mbs = (ns > 0) ? s / 1048576 / (ns / 1e9) : 0
    printf "%-8s %10d %11.3f %10.1f %9d\n", t, s, ms, mbs, k }'
}

printf "%-8s %10s %11s %10s %9s\n" tool bytes "wall ms" "MiB/s" "peak KiB"
for spec in 1024:50 10485760:5 52428800:3; do
  size=${spec%%:*}
  runs=${spec##*:}
  head -c "$size" /dev/urandom >in.bin
  base64_cmd=(sh -c 'exec base64 -w 76 in.bin >out.b64')
  # mpack refuses to replace its output file, so each run starts without one.
  mpack_cmd=(sh -c 'rm -f out.mpack && exec mpack -s Bench -o out.mpack in.bin')
  msgmake_cmd=("$msgmake" "$call")
  "${msgmake_cmd[@]}" || { echo "msgmake failed" >&2; exit 1; }
  report msgmake "$size" "$(best_ns "$runs" "${msgmake_cmd[@]}")" "$(peak_kib "${msgmake_cmd[@]}")"
  report mpack "$size" "$(best_ns "$runs" "${mpack_cmd[@]}")" "$(peak_kib "${mpack_cmd[@]}")"
  report base64 "$size" "$(best_ns "$runs" "${base64_cmd[@]}")" "$(peak_kib "${base64_cmd[@]}")"
done
