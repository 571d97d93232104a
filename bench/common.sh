# Helpers shared by the benchmark scripts (sourced).
BENCH_DIR=${BENCH_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-bench.XXXXXX")}
trap 'rm -rf "$BENCH_DIR"' EXIT

# seconds COMMAND...: runs the command and prints the wall time in seconds.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

# ratio A B: A / B with two decimals.
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }
mb() { printf '%.1f' "$(echo "$1 / 1048576" | bc -l)"; }
