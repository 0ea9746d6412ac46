#!/bin/sh
# Fuzz smoke run: builds the libFuzzer targets (clang, ASan and UBSan), replays
# the saved findings of fuzz/regressions/, then runs every target from its seed
# corpus for a short budget. Exits non-zero when any input crashes, leaks, hits
# undefined behaviour, breaks a target's property, times out or runs out of
# memory; the input is kept under <build>/fuzz-findings/.
#
#   scripts/fuzz-smoke.sh [seconds per target, default 20]
#
# SENSORDLL_FUZZ_BUILD names the build directory (default build-fuzz). The
# tools are configured for fuzz_http_request, which needs sensor-sim's core;
# only the fuzz targets and what they need are built.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
build=${SENSORDLL_FUZZ_BUILD:-$root/build-fuzz}
jobs=${SENSORDLL_JOBS:-2}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DSENSORDLL_BUILD_FUZZ=ON \
    -DSENSORDLL_SANITIZE=address,undefined -DSENSORDLL_BUILD_TESTS=OFF \
    -DSENSORDLL_BUILD_TOOLS=ON -DSENSORDLL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target fuzz_targets >/dev/null

work="$build/fuzz-work"
findings="$build/fuzz-findings"
rm -rf "$work"
mkdir -p "$work/seeds" "$findings"
"$root/fuzz/make-seeds.sh" "$work/seeds"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

status=0
for entry in keyval_text:keyval id_list:keyval detail_fields:detail merge_style:xml dna_style:xml \
             init_files:scheme debug_control:debug xml_guard:xml cfg_reader:scheme http_request:http; do
    target=${entry%%:*}
    dict=$root/fuzz/dict/${entry##*:}.dict
    binary=$build/fuzz/fuzz_$target
    log=$work/$target.log

    if [ -d "$root/fuzz/regressions/$target" ]; then
        if ! "$binary" -runs=0 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/$target-" \
                "$root/fuzz/regressions/$target" >"$work/$target-regressions.log" 2>&1; then
            echo "FAIL $target: a saved finding fails again (see $work/$target-regressions.log)"
            status=1
            continue
        fi
    fi

    mkdir -p "$work/corpus/$target" "$work/seeds/$target"
    if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -dict="$dict" -artifact_prefix="$findings/$target-" \
            "$work/corpus/$target" "$work/seeds/$target" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
        echo "ok   $target: $runs runs, $cov"
    else
        echo "FAIL $target: finding kept in $findings (log $log)"
        tail -n 30 "$log"
        status=1
    fi
done
exit $status
