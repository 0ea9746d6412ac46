#!/usr/bin/env bash
# The benchmark suite's smoke run, as CI makes it: builds sensordll_bench and
# runs the ctest test labelled bench-smoke (every call and floor of the
# ir-bullet profile, a few iterations each, no target asserted).
#
#   scripts/bench-smoke.sh [BUILD_DIR]     (default: build/bench)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-$repo/build/bench}
jobs=${SENSORDLL_JOBS:-2}

cmake -S "$repo" --preset native -B "$dir" -DSENSORDLL_BUILD_BENCH=ON > /dev/null
cmake --build "$dir" --target sensordll_bench -j"$jobs"
cd "$dir" && ctest --output-on-failure -L '^bench-smoke$'
