#!/usr/bin/env bash
# Builds libsensordll and the simulated camera, then runs the demo session:
# an evening of an infrared bullet camera (tools/sensor-sim/demo.sensim).
#
#   scripts/demo.sh                  the demo
#   scripts/demo.sh SENSOR-SIM-ARGS  sensor-sim with these arguments instead,
#                                    e.g. --profile thermal-dual -c 'get brightness'
#
# Run as root on Debian 12: it first installs what is missing
# (scripts/setup.sh). The build shares build/ci-native with scripts/test.sh.
# The simulated camera runs on a temporary device root; nothing in the
# repository is written.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=$repo/build/ci-native
jobs=${SENSORDLL_JOBS:-2}

"$repo/scripts/setup.sh"
echo "demo: building sensor-sim in ${dir#"$repo"/}"
cmake -S "$repo" --preset native > /dev/null
cmake --build "$dir" -j"$jobs" --target sensor-sim > /dev/null

simulator=$dir/tools/sensor-sim/sensor-sim
if [[ $# -gt 0 ]]; then
    exec "$simulator" "$@"
fi
exec "$simulator" --quiet --script "$repo/tools/sensor-sim/demo.sensim"
