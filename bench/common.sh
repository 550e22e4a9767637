# Sourced by the benchmark scripts: the checkout's root, the work folder
# build/bench, the number of runs (RUNS, default 3), and the release tree
# configured through its preset.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$root/build/bench
mkdir -p "$work"
runs=${RUNS:-3}
cmake --preset native >/dev/null
