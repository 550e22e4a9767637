#!/usr/bin/env bash
# The Windows library under Wine: unzip32.dll as shipped (reading ahead on
# worker threads) against its one-thread build, on the corpus of run.sh; no
# other tool. The driver (extract_cli.cpp) reports the time of the call
# itself, without Wine's start. The two take turns, RUNS rounds (default 5),
# each run into a folder of its own (common.sh: bench_scratch).
# Usage: bench/wine.sh [LARGE_MIB]   (default 400)
. "$(dirname "$0")/common.sh"
runs=${RUNS:-5}
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target unzip32 unzip32_single -j2 >/dev/null
python3 bench/make_corpus.py "$work/corpus" "${1:-400}"
wine_dir=$work/wine
mkdir -p "$wine_dir/pipeline" "$wine_dir/one-thread"
i686-w64-mingw32-g++-posix -O2 -std=c++17 -static -I"$root/unzip32" bench/extract_cli.cpp \
    -o "$wine_dir/pipeline/uzbench.exe"
cp build/win32/unzip32/unzip32.dll "$wine_dir/pipeline/"
cp "$wine_dir/pipeline/uzbench.exe" "$wine_dir/one-thread/"
cp build/win32/unzip32/unzip32_single.dll "$wine_dir/one-thread/unzip32.dll"

bench_scratch
. tools/wine-env
unset DISPLAY
wine_env_start "$(mktemp -d /tmp/bench-wine.XXXXXX)"
trap 'wine_env_stop; rm -rf "$WINEPREFIX"; bench_scratch_drop' EXIT

python3 - "$work" "$runs" "$scratch" "$scratch_kind" <<'PY'
import os, statistics, subprocess, sys
sys.path.insert(0, 'bench')
from turns import take_turns
work, runs, out, out_kind = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
variants = {'unzip32.dll': 'pipeline', 'one-thread build': 'one-thread'}
def windows(path):
    return 'Z:' + path.replace('/', '\\')
def measure(folder, archive, dest):
    ran = subprocess.run(['wine', os.path.join(work, 'wine', folder, 'uzbench.exe'), windows(archive), windows(dest),
                          '--time'], capture_output=True, text=True, check=True)
    return float(ran.stdout.split()[-1])
for corpus, archive, results in take_turns(work, out, out_kind, runs, variants, measure):
    print(f'  {"library":<18} {"best s":>7} {"median s":>9}')
    for name, times in results.items():
        print(f'  {name:<18} {min(times):7.2f} {statistics.median(times):9.2f}')
    best = [min(times) for times in results.values()]
    print(f'  pipeline / one thread (best): {best[0] / best[1]:.2f}')
PY
