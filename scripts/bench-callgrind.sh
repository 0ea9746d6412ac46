#!/usr/bin/env bash
# Instruction counts of start-up and setParameter, and of their floors, with
# valgrind's callgrind: stable figures for comparing two builds on a noisy
# machine. Each figure is the instructions (Ir, user space, every thread) of a
# fixed number of calls divided by that number; set-up, the probe and the
# untimed work between calls are not collected.
#
#   scripts/bench-callgrind.sh [BUILD_DIR] [PROFILE]
#       BUILD_DIR  a configured build tree (default: build/bench; built here)
#       PROFILE    ir-bullet (default), dome, thermal-dual:1, thermal-dual:2
#
# Start-up runs with the wait scale at 1, so that the started sensor thread
# sleeps instead of spinning and its instructions stay out of the count; each
# start-up then lasts about two seconds.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-$repo/build/bench}
profile=${2:-ir-bullet}
jobs=${SENSORDLL_JOBS:-2}

command -v valgrind > /dev/null || { echo "bench-callgrind.sh: valgrind is not installed" >&2; exit 1; }
if [[ ! -f $dir/CMakeCache.txt ]]; then
    cmake -S "$repo" --preset native -B "$dir" -DSENSORDLL_BUILD_BENCH=ON > /dev/null
fi
cmake --build "$dir" --target sensordll_bench -j"$jobs" > /dev/null
bench=$dir/bench/sensordll_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# case name (a regular expression), iterations, wait scale
cases=(
    'init\+uinit/first-start 3 1'
    'init\+uinit/restart 3 1'
    'setParameter/changed 2000 0'
    'setParameter/unchanged 2000 0'
)

count() {
    local name=$1 part=$2 iterations=$3 scale=$4
    local out=$work/callgrind.out
    rm -f "$out"
    valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out" \
        "$bench" --plain --devices="$profile" --filter="^$profile/$name\$" --part="$part" \
        --iterations="$iterations" --callgrind --wait-scale="$scale" --no-heap > "$work/log" 2>&1 || {
        cat "$work/log" >&2
        return 1
    }
    local total
    total=$(awk '/^(summary|totals):/ { print $2; exit }' "$out")
    echo $((total / iterations))
}

printf 'Instructions per call (callgrind, %s, %s)\n' "$profile" "$(uname -m)"
printf '%-36s %14s %14s %7s\n' call instructions floor ratio
for entry in "${cases[@]}"; do
    read -r name iterations scale <<< "$entry"
    call=$(count "$name" call "$iterations" "$scale")
    floor=$(count "$name" floor "$iterations" "$scale")
    printf '%-36s %14d %14d %7s\n' "${name//\\/}" "$call" "$floor" \
        "$(awk -v c="$call" -v f="$floor" 'BEGIN { printf "%.2f", c / f }')"
done
