# Helpers of the paired benchmark, sourced by it; they work in the current
# folder and keep their figures in msgmake.txt and yardstick.txt. $starter
# is the built fresh_exec.

# timed STATS REMOVE STDOUT COMMAND...: one run of COMMAND under perf stat,
# started by fresh_exec (which removes REMOVE first and sends standard output
# to STDOUT); appends "cpu_ms wall_ms" to STATS.
timed() {
  local stats=$1
  shift
  perf stat -e task-clock -o perf.txt -- "$starter" "$@" 2>/dev/null || { echo "failed: $*" >&2; exit 1; }
  awk '/msec task-clock/ { cpu = $1 } /seconds time elapsed/ { wall = $1 * 1000 }
       END { print cpu, wall }' perf.txt >>"$stats"
}

# ratios COLUMN: "median q1 q3" of msgmake / yardstick over the pairs.
ratios() {
  paste -d' ' msgmake.txt yardstick.txt |
    awk -v c="$1" '{ print $c / $(c + 2) }' | sort -g |
    awk '{ r[NR] = $1 } END {
      printf "%.2f %.2f %.2f\n", r[int((NR + 1) / 2)], r[int((NR + 3) / 4)], r[int((3 * NR + 3) / 4)] }'
}

# median FILE COLUMN
median() { awk -v c="$2" '{ print $c }' "$1" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
