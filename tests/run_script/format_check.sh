#!/usr/bin/env bash
# `run format` on a scratch tree: a file out of the house style fails the check and is named;
# the same tree with that file mended passes.
set -euo pipefail
run_script=$1
style=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$run_script" "$scratch/run"
cp "$style" "$scratch/.clang-format"
mkdir -p "$scratch/store"
printf 'int inStyle(int value) { return value + 1; }\n' >"$scratch/store/Good.cpp"
printf 'int  outOfStyle( int value ){\nreturn value+1;}\n' >"$scratch/store/Bad.cpp"
set +e
output=$(bash "$scratch/run" format 2>&1)
status=$?
set -e
echo "$output"
if [ "$status" -eq 0 ]; then
  echo "FAIL: run format passed a file out of style"
  exit 1
fi
if ! grep -q "Bad.cpp" <<<"$output"; then
  echo "FAIL: the file out of style was not named"
  exit 1
fi
clang-format -i "$scratch/store/Bad.cpp"
if ! bash "$scratch/run" format; then
  echo "FAIL: run format failed a tree in the house style"
  exit 1
fi
echo "run format exited $status on a file out of style and 0 once it was mended"
