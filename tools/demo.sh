#!/usr/bin/env bash
# The demo: the main job on sample stores written here.
set -euo pipefail
BUILD=${1:-build}
"$BUILD/tarnwick" --version
