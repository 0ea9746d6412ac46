#!/usr/bin/env bash
# Builds libsensordll and runs all of its tests, as CI does:
#
#   native   gcc, warnings fatal, every test
#   exports  the shared library's dynamic symbols against the headers and the
#            host contract
#   install  cmake --install, then programs built on the installed package
#            (find_package and pkg-config), with and without the replacements
#   sdk      the library alone (SENSORDLL_SIMULATION=OFF) against a stand-in
#            camera SDK outside the tree: the contract's headers only
#   asan     clang with AddressSanitizer and UBSan, every test
#   tsan     clang with ThreadSanitizer, every test
#   armhf    Debian's 32-bit ARM cross compiler, every test under qemu-user
#   bench    benchmark smoke run (the test labelled bench-smoke), once bench/ has targets
#   fuzz     fuzzer smoke run (scripts/fuzz-smoke.sh), once fuzz/ has targets
#   browser  sensor-sim's settings page in headless Chromium (scripts/browser-test.py)
#
#   scripts/test.sh [STAGE...]     (default: all of them, in this order)
#
# Run as root on Debian 12: it first installs what is missing
# (scripts/setup.sh). The stages that build configure through the presets of
# CMakePresets.json (cmake --preset native, asan, tsan, armhf, sdk); exports,
# install and bench reuse the native build. Each stage builds in
# build/ci-STAGE (the preset's directory) and logs to build/ci-logs/STAGE.log;
# the summary at the end gives each stage's result, time and test count. The exit status is non-zero when any stage failed.
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=$repo/build
log_dir=$build_root/ci-logs
jobs=${SENSORDLL_JOBS:-2}
# The project's one version number, from its installed header.
version_part() { sed -n "s/^#define SENSORDLL_VERSION_$1 \([0-9]*\)$/\1/p" "$repo/include/sensordll/SensorVersion.h"; }
version_major=$(version_part MAJOR)
version=$version_major.$(version_part MINOR).$(version_part PATCH)
all_stages=(native exports install sdk asan tsan armhf bench fuzz browser)

# Label of the benchmark smoke run; the ordinary test runs leave it out.
smoke_labels='^bench-smoke$'

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

stage_names=()
stage_results=()
stage_times=()
stage_notes=()
# What a stage reports beside its result (test counts, a skip reason).
note=""
# The log of the running stage.
stage_log=""
# Command prefix under which the sanitizer tests run (see sanitizer_prefix).
run_prefix=()
restore_mmap_bits=""

restore_system() {
    if [[ -n $restore_mmap_bits ]]; then
        sysctl -q -w vm.mmap_rnd_bits="$restore_mmap_bits" || true
    fi
}
trap restore_system EXIT

# configure PRESET [-DNAME=VALUE...]: the preset's build directory is
# build/ci-PRESET.
configure() {
    local preset=$1
    shift
    cmake -S "$repo" --preset "$preset" "$@"
}

build() {
    cmake --build "$1" -j"$jobs"
}

# ctest in a build dir; the counts of the summary line go into $note.
run_ctest() {
    local dir=$1
    shift
    local output status
    output=$(cd "$dir" && "${run_prefix[@]}" ctest --output-on-failure -j"$jobs" "$@" 2>&1)
    status=$?
    printf '%s\n' "$output"
    local summary
    summary=$(printf '%s\n' "$output" | grep -E '^[0-9]+% tests passed' | tail -1)
    if [[ -n $summary ]]; then
        note=$(printf '%s\n' "$summary" | sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+)/\2 tests, \1 failed/')
    elif printf '%s\n' "$output" | grep -q 'No tests were found'; then
        note="no tests"
    fi
    return $status
}

# Sanitizer runtimes of clang 14 cannot map their shadow memory when the
# kernel randomises mmap with more than 28 bits ("unexpected memory mapping",
# or a hang at start-up). A small probe program finds out; then the tests
# run with address randomisation off (setarch -R), or, failing that, with
# the randomisation lowered for the run (restored at exit).
sanitizer_prefix() {
    local sanitizer=$1 dir=$2
    local probe=$dir/sanitizer-probe
    run_prefix=()
    mkdir -p "$dir"
    printf '%s\n' '#include <thread>' \
        'int main() { int n = 0; std::thread t([&n] { n = 1; }); t.join(); return n - 1; }' \
        > "$probe.cpp"
    if ! clang++ -std=c++17 -g -fsanitize="$sanitizer" "$probe.cpp" -o "$probe" -pthread; then
        echo "sanitizer probe does not build with -fsanitize=$sanitizer"
        return 1
    fi
    if timeout 20 "$probe"; then
        return 0
    fi
    local arch
    arch=$(uname -m)
    if timeout 20 setarch "$arch" -R "$probe"; then
        echo "sanitizer runtime needs address randomisation off: running the tests under setarch -R"
        run_prefix=(setarch "$arch" -R)
        return 0
    fi
    local bits
    bits=$(sysctl -n vm.mmap_rnd_bits 2>/dev/null || true)
    if [[ -n $bits && $bits -gt 28 ]] && sysctl -q -w vm.mmap_rnd_bits=28; then
        [[ -n $restore_mmap_bits ]] || restore_mmap_bits=$bits
        if timeout 20 "$probe"; then
            echo "sanitizer runtime needs vm.mmap_rnd_bits=28 (was $bits) for this run"
            return 0
        fi
    fi
    echo "the -fsanitize=$sanitizer runtime does not start on this machine"
    return 1
}

stage_native() {
    local dir=$build_root/ci-native
    configure native &&
        build "$dir" &&
        run_ctest "$dir" --timeout 60 -LE "$smoke_labels" -E '^(ExportedSymbols|HostContract)\.'
}

stage_exports() {
    local dir=$build_root/ci-native
    if [[ ! -f $dir/CTestTestfile.cmake ]]; then
        configure native || return 1
    fi
    build "$dir" && run_ctest "$dir" -V -R '^(ExportedSymbols|HostContract)\.'
}

stage_install() {
    local dir=$build_root/ci-native
    local work=$build_root/ci-install
    local full=$work/full library=$work/library-only runtime=$work/runtime
    if [[ ! -f $dir/CMakeCache.txt ]]; then
        configure native || return 1
    fi
    local libdir
    libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$dir/CMakeCache.txt")
    rm -rf "$work"
    build "$dir" &&
        cmake --install "$dir" --prefix "$full" &&
        cmake --install "$dir" --prefix "$library" --component Runtime &&
        cmake --install "$dir" --prefix "$library" --component Development &&
        cmake --install "$dir" --prefix "$runtime" --component Runtime --strip || return 1

    echo "-- component Runtime: the versioned library files only"
    local files
    files=$(cd "$runtime" && find . \( -type f -o -type l \) | sort)
    printf '%s\n' "$files"
    if [[ $files != "./$libdir/libsensordll.so.$version_major"$'\n'"./$libdir/libsensordll.so.$version" ]]; then
        echo "Runtime holds more or less than the versioned library files"
        return 1
    fi

    echo "-- find_package(sensordll COMPONENTS simulation)"
    cmake -S "$repo/tests/install" -B "$work/cmake-consumer" -DCMAKE_PREFIX_PATH="$full" &&
        cmake --build "$work/cmake-consumer" &&
        "$work/cmake-consumer/consumer" || return 1

    echo "-- find_package(sensordll) on Runtime and Development"
    cmake -S "$repo/tests/install" -B "$work/library-consumer" -DCMAKE_PREFIX_PATH="$library" \
        -DCONSUMER_LIBRARY_ONLY=ON || return 1

    echo "-- pkg-config sensordll-simulation"
    local flags
    flags=$(PKG_CONFIG_PATH=$full/$libdir/pkgconfig pkg-config --cflags --libs sensordll-simulation) &&
        g++ -std=c++14 -Wall -Wextra -Werror "$repo/tests/install/consumer.cpp" -o "$work/pkg-config-consumer" \
            $flags &&
        LD_LIBRARY_PATH=$full/$libdir "$work/pkg-config-consumer" || return 1

    echo "-- the replacements' versioned SONAMEs"
    local library soname
    for library in libzthost libispsim; do
        soname=$(objdump -p "$full/$libdir/$library.so" | awk '/SONAME/ { print $2 }')
        echo "$library: $soname"
        [[ $soname == "$library.so.$version_major" ]] || return 1
    done

    stage_install_tools "$dir" "$work" || return 1
}

# The programs as a user installs them: Runtime, Simulation and Tools into a
# prefix that is then moved, run with a clean environment; sensor-sim on its
# installed data, sensordll-cfg on the files it wrote; the man pages.
stage_install_tools() {
    local dir=$1 work=$2
    local staged=$work/tools-staged prefix=$work/tools camera=$work/camera
    local component
    for component in Runtime Simulation Tools; do
        cmake --install "$dir" --prefix "$staged" --component "$component" > /dev/null || return 1
    done
    mv "$staged" "$prefix"
    local program
    for program in sensor-sim sensordll-cfg; do
        echo "-- $program --version: $(env -i "$prefix/bin/$program" --version)"
        [[ $(env -i "$prefix/bin/$program" --version) == "$program (libsensordll) $version" ]] || return 1
        echo "-- man page $program.1: $(man -l "$prefix/share/man/man1/$program.1" 2>/dev/null | sed -n '4p' | xargs)"
        grep -q '^\.SH NAME' "$prefix/share/man/man1/$program.1" || return 1
    done
    local output
    output=$(env -i "$prefix/bin/sensor-sim" --work "$camera" -c "set brightness 60; flush" 2>&1) || {
        printf '%s\n' "$output"
        return 1
    }
    printf '%s\n' "$output" | head -n 1
    if ! printf '%s\n' "$output" | head -n 1 | grep -qF "profile $prefix/share/sensordll/devices/ir-bullet"; then
        echo "the installed sensor-sim did not run on its installed data"
        return 1
    fi
    local scheme=$camera/mnt/mtd/code/config_file/sensor1_0.cfg
    echo "-- sensordll-cfg get -n sensor1_0.cfg brightness: $(env -i "$prefix/bin/sensordll-cfg" get -n "$scheme" brightness)"
    [[ $(env -i "$prefix/bin/sensordll-cfg" get -n "$scheme" brightness) == 60 ]] &&
        env -i "$prefix/bin/sensordll-cfg" check "$scheme"
}

# The firmware build: the library alone against a camera SDK. The stand-in
# SDK is a copy of the replacement headers that the host contract names
# (cmake/host-contract.txt), none of the simulation's own, in a directory
# outside the tree; the compile lines must reach it and nothing of
# replacements/. The library-only install then installs from that build.
stage_sdk() {
    local dir=$build_root/ci-sdk
    local sdk status
    sdk=$(mktemp -d -t sensordll-sdk.XXXXXXXX) || return 1
    sdk=$(cd "$sdk" && pwd -P) || return 1
    stage_sdk_run "$dir" "$sdk"
    status=$?
    rm -rf "$sdk"
    return $status
}

stage_sdk_run() {
    local dir=$1 sdk=$2
    local header source
    mkdir -p "$sdk/host" "$sdk/isp"
    for header in $(awk '!/^#/ && NF >= 2 && $1 ~ /\.h$/ && $1 != "tinyxml.h" { print $1 }' \
        "$repo/cmake/host-contract.txt" | sort -u); do
        for source in "$repo/replacements/host/include" "$repo/replacements/isp/include"; do
            if [[ -f $source/$header ]]; then
                cp "$source/$header" "$sdk/$(basename "$(dirname "$source")")/"
            fi
        done
    done
    echo "-- stand-in SDK in $sdk:"
    (cd "$sdk" && find . -type f | sort)
    rm -rf "$dir"
    configure sdk "-DSENSORDLL_SDK_INCLUDE_DIRS=$sdk/host;$sdk/isp" &&
        build "$dir" || return 1

    local commands=$dir/compile_commands.json
    local entries leaks
    entries=$(grep -c '"file": *"[^"]*/src/' "$commands")
    leaks=$(grep '"command"' "$commands" | grep -c '/replacements/')
    echo "-- compile_commands.json: $entries library sources, $leaks compile lines naming replacements/"
    # CMake may spell the directory's prefix its own way (TMPDIR relative,
    # doubled slashes, links); its unique last component is what identifies it.
    if [[ $entries -eq 0 ]] || ! grep '"command"' "$commands" | grep -qF -- "/$(basename "$sdk")/host"; then
        echo "the library's compile lines do not use the stand-in SDK $sdk; the first one:"
        grep -m 1 '"command"' "$commands"
        return 1
    fi
    if [[ $leaks -ne 0 ]]; then
        grep '"command"' "$commands" | grep '/replacements/' | head -3
        return 1
    fi
    if [[ -n $(find "$dir" -name 'libzthost*' -o -name 'libispsim*' -o -name 'sensordll_tests_*') ]]; then
        echo "the firmware build built simulation targets"
        return 1
    fi
    echo "-- what the firmware library asks of its host"
    local library
    library=$(find "$dir" -name 'libsensordll.so.*.*' -type f | head -n 1)
    "$repo/scripts/check-host.sh" --contract "$repo/cmake/host-contract.txt" "$library" || return 1
    note="$entries library sources, no replacements/ on their compile lines, host contract kept"

    echo "-- library-only install, stripped"
    local staging=$build_root/ci-sdk-install
    rm -rf "$staging"
    cmake --install "$dir" --prefix "$staging" --component Runtime --strip &&
        cmake --install "$dir" --prefix "$staging" --component Development || return 1
    (cd "$staging" && find . -type f | sort)
    [[ -n $(find "$staging" -name 'libsensordll.so*' -type f) && -f $staging/include/sensordll/sensordll.h ]]
}

stage_asan() {
    local dir=$build_root/ci-asan
    sanitizer_prefix address,undefined "$dir" &&
        configure asan &&
        build "$dir" &&
        run_ctest "$dir" --timeout 180 -LE "$smoke_labels"
}

stage_tsan() {
    local dir=$build_root/ci-tsan
    sanitizer_prefix thread "$dir" &&
        configure tsan &&
        build "$dir" &&
        run_ctest "$dir" --timeout 300 -LE "$smoke_labels"
}

stage_armhf() {
    local dir=$build_root/ci-armhf
    configure armhf &&
        build "$dir" &&
        run_ctest "$dir" --timeout 300 -LE "$smoke_labels"
}

# bench/CMakeLists.txt registers the benchmarks' smoke run (a few iterations
# of each) as a test labelled bench-smoke.
stage_bench() {
    if [[ ! -f $repo/bench/CMakeLists.txt ]]; then
        note="skipped: bench/ has no targets"
        return 0
    fi
    local dir=$build_root/ci-native
    configure native -DSENSORDLL_BUILD_BENCH=ON &&
        build "$dir" &&
        run_ctest "$dir" -L '^bench-smoke$'
}

# scripts/fuzz-smoke.sh builds the fuzz targets with ASan and UBSan, replays
# the saved findings and runs each target from its seeds for a short budget.
stage_fuzz() {
    if [[ ! -f $repo/fuzz/CMakeLists.txt || ! -x $repo/scripts/fuzz-smoke.sh ]]; then
        note="skipped: fuzz/ has no targets"
        return 0
    fi
    local dir=$build_root/ci-fuzz
    local status
    sanitizer_prefix address,undefined "$dir" || return 1
    SENSORDLL_FUZZ_BUILD=$dir "${run_prefix[@]}" "$repo/scripts/fuzz-smoke.sh" "${SENSORDLL_FUZZ_SECONDS:-20}"
    status=$?
    note="$(grep -c '^ok ' "$stage_log") targets clean, $(grep -c '^FAIL ' "$stage_log") failed"
    return $status
}

# The settings page of sensor-sim --http in Debian's headless Chromium, driven
# through chromedriver by Debian's Selenium (for /usr/bin/python3, not a
# python3 earlier on PATH); screenshots go to build/ci-logs/.
stage_browser() {
    if ! command -v chromium > /dev/null; then
        note="skipped: no chromium (scripts/setup.sh installs it)"
        return 0
    fi
    local dir=$build_root/ci-native
    local status
    configure native &&
        cmake --build "$dir" -j"$jobs" --target sensor-sim || return 1
    /usr/bin/python3 "$repo/scripts/browser-test.py" "$dir/tools/sensor-sim/sensor-sim" "$log_dir"
    status=$?
    note="$(grep -c '^ok ' "$stage_log") checks passed, $(grep -c '^FAIL' "$stage_log") failed"
    return $status
}

run_stage() {
    local stage=$1
    local log=$log_dir/$stage.log
    stage_log=$log
    local start end status
    note=""
    run_prefix=()
    echo "==> $stage (log: ${log#"$repo"/})"
    start=$(date +%s)
    "stage_$stage" > "$log" 2>&1
    status=$?
    end=$(date +%s)
    stage_names+=("$stage")
    stage_times+=($((end - start)))
    if [[ $status -eq 0 ]]; then
        stage_results+=("passed")
    else
        stage_results+=("FAILED")
        # The end of the log without the lines of tests that passed: the
        # build error, or the failed tests' output and ctest's list of them.
        echo "---- $stage.log, passed tests left out ----"
        grep -vE '^ +Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* +Passed +[0-9.]+ sec$' "$log" | tail -n 150
        echo "----"
    fi
    stage_notes+=("$note")
    printf '    %s in %ds%s\n' "${stage_results[-1]}" "${stage_times[-1]}" "${note:+ ($note)}"
}

stages=("$@")
if [[ ${#stages[@]} -eq 0 ]]; then
    stages=("${all_stages[@]}")
fi
for stage in "${stages[@]}"; do
    if ! declare -F "stage_$stage" > /dev/null; then
        echo "test.sh: unknown stage '$stage' (stages: ${all_stages[*]})" >&2
        exit 2
    fi
done

total_start=$(date +%s)
"$repo/scripts/setup.sh" || exit 1
mkdir -p "$log_dir"
for stage in "${stages[@]}"; do
    run_stage "$stage"
done
total=$(($(date +%s) - total_start))

failed=0
echo
echo "Summary"
for i in "${!stage_names[@]}"; do
    printf '  %-8s %-7s %5ds  %s\n' "${stage_names[$i]}" "${stage_results[$i]}" "${stage_times[$i]}" "${stage_notes[$i]}"
    [[ ${stage_results[$i]} == passed ]] || failed=1
done
printf '  %-8s %-7s %5ds\n' total "$([[ $failed -eq 0 ]] && echo passed || echo FAILED)" "$total"
exit $failed
