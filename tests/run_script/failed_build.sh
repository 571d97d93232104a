#!/usr/bin/env bash
# `run build` against a compiler that fails: the run must exit non-zero and show the error,
# not go on as if the binaries were fresh. Runs a copy of the script in a scratch folder
# whose build folder is already configured, with a `cmake` on PATH whose builds fail.
set -euo pipefail
run_script=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$run_script" "$scratch/run"
mkdir -p "$scratch/build" "$scratch/bin"
touch "$scratch/build/build.ninja"
cat >"$scratch/bin/cmake" <<'FAKE'
#!/bin/sh
echo "error: a compile failed on purpose"
exit 1
FAKE
chmod +x "$scratch/bin/cmake"
set +e
output=$(PATH="$scratch/bin:$PATH" bash "$scratch/run" build 2>&1)
status=$?
set -e
echo "$output"
if [ "$status" -eq 0 ]; then
  echo "FAIL: run build exited 0 after a failed build"
  exit 1
fi
if ! grep -q "a compile failed on purpose" <<<"$output"; then
  echo "FAIL: the build's error was not shown"
  exit 1
fi
echo "run build exited $status after a failed build"
