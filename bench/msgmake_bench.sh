#!/bin/bash
# Measures msgmake against a yardstick in paired runs on tmpfs (/dev/shm),
# one row each:
#   1 KiB   attachment, options         against `mpack -s x -o out in`
#   1 KiB   attachment, call text       against mpack
#   50 MiB  attachment, options         against `base64 -w 76 in > out`
#   50 MiB  attachment, call text       against base64
#   50 MB   --text body                 against `qprint -e in > out`
#   50 MB   --html body                 against qprint
#
# Every run, msgmake's and the yardstick's, is one whole process started the
# same way: perf stat runs bench/fresh_exec.cpp (built here, static), which
# removes the previous output and execs the tool. Each pair runs msgmake and
# the yardstick one after the other, which one goes first alternating from
# pair to pair; a pair gives the ratio msgmake / yardstick of CPU time (user
# + sys, perf's task-clock) and of wall time (perf's clock, finer than a
# millisecond). The table shows the median ratio with the spread as the
# interquartile range, the medians themselves, and msgmake's peak RSS from one
# untimed run (fresh_exec --peak). Inputs are made outside the timed runs.
# Other work on the machine makes single runs noisy: compare ratios, and say
# whether the machine was idle.
#
# Needs perf and Debian's mpack and qprint (none of them is a build or test
# dependency: apt-get install linux-perf mpack qprint).
#
# usage: bench/msgmake_bench.sh      a fresh Release build in build-bench
#        MSGMAKE_BENCH_BUILD=build-x bench/msgmake_bench.sh   measures the
#        msgmake of an existing build directory instead
#        MSGMAKE_BENCH_PAIRS=N       pairs of each large row (default 7; the
#                                    1 KiB rows take six times as many)
set -e
export LC_ALL=C SOURCE_DATE_EPOCH=1796126400
cd "$(dirname "$0")/.."
for tool in perf mpack qprint base64 c++; do
  command -v "$tool" >/dev/null || { echo "missing $tool (apt-get install linux-perf mpack qprint)" >&2; exit 1; }
done
build="${MSGMAKE_BENCH_BUILD:-}"
if [ -z "$build" ]; then
  build=build-bench
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMSGMAKE_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target msgmake >/dev/null
fi
build="$(cd "$build" && pwd)"
msgmake="$build/msgmake"
starter="$build/fresh_exec"
if [ ! -x "$starter" ] || [ bench/fresh_exec.cpp -nt "$starter" ]; then
  c++ -std=c++20 -O2 -static -o "$starter" bench/fresh_exec.cpp
fi
pairs=${MSGMAKE_BENCH_PAIRS:-7}

work="$(mktemp -d /dev/shm/msgmake-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
. bench/paired_runs.sh
cd "$work"
F=$'\xdd'
call() { echo "MakeEMLAttachmentFileSW('m.eml','0','ann@example.com','x','0','Arial','0','10','','','','','')${F}$1${F}"; }
head -c 1024 /dev/urandom >small.bin
head -c 52428800 /dev/urandom >big.bin
head -c 1024 /dev/urandom | base64 >small.txt
head -c 37748736 /dev/urandom | base64 -w 100 | head -c 50000000 >big.txt
head -c 37748736 /dev/urandom | base64 -w 100 | sed 's|.*|<p>&</p>|' | head -c 50000000 >big.html

# row LABEL PAIRS YARDSTICK_INPUT YARDSTICK MSGMAKE_ARGS...: one row.
row() {
  local label=$1 n=$2 input=$3 yardstick=$4
  shift 4
  local -a ours=(m.eml /dev/null "$msgmake" "$@") theirs
  case $yardstick in
    mpack) theirs=(out.mime /dev/null mpack -s x -o out.mime "$input") ;;
    base64) theirs=(- out base64 -w 76 "$input") ;;
    qprint) theirs=(- out qprint -e "$input") ;;
  esac
  timed /dev/null "${ours[@]}"  # warms the caches; not counted
  : >msgmake.txt
  : >yardstick.txt
  for ((i = 0; i < n; i++)); do
    if ((i % 2 == 0)); then
      timed msgmake.txt "${ours[@]}"
      timed yardstick.txt "${theirs[@]}"
    else
      timed yardstick.txt "${theirs[@]}"
      timed msgmake.txt "${ours[@]}"
    fi
  done
  read -r cpu q1 q3 < <(ratios 1)
  read -r wall w1 w3 < <(ratios 2)
  printf "%-28s %-7s %4d  %5.2f (%4.2f-%4.2f)  %5.2f (%4.2f-%4.2f) %9.2f %9.2f %9.2f %9.2f %8d\n" \
    "$label" "$yardstick" "$n" "$cpu" "$q1" "$q3" "$wall" "$w1" "$w3" \
    "$(median msgmake.txt 1)" "$(median yardstick.txt 1)" "$(median msgmake.txt 2)" "$(median yardstick.txt 2)" \
    "$("$starter" --peak m.eml /dev/null "$msgmake" "$@")"
}

echo "tmpfs: $work; load average: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) CPUs"
printf "%-28s %-7s %4s  %-17s  %-17s %9s %9s %9s %9s %8s\n" case against pairs "cpu ratio (IQR)" \
  "wall ratio (IQR)" "cpu ms" "against" "wall ms" "against" "peak KiB"
options=(-t ann@example.com -s x)
row "1 KiB attachment, options" $((6 * pairs)) small.bin mpack -o m.eml --text small.txt "${options[@]}" small.bin
row "1 KiB attachment, call text" $((6 * pairs)) small.bin mpack "$(call small.bin)"
row "50 MiB attachment, options" "$pairs" big.bin base64 -o m.eml --text small.txt "${options[@]}" big.bin
row "50 MiB attachment, call text" "$pairs" big.bin base64 "$(call big.bin)"
row "50 MB --text body" "$pairs" big.txt qprint -o m.eml --text big.txt "${options[@]}"
row "50 MB --html body" "$pairs" big.html qprint -o m.eml --html big.html "${options[@]}"
