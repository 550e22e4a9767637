#!/usr/bin/env bash
# Extraction benchmark: our library (release build) against bsdtar, 7z and
# python3 zipfile on a generated corpus, and against itself built to run on
# one thread. The tools take turns, RUNS rounds (default 5); each run extracts
# into a folder of its own, and none is deleted before the last run
# (common.sh: bench_scratch). Prints per tool the best and the median wall
# time and the peak memory of the best run, our ratio to the faster of bsdtar
# and 7z, and the load of the machine. Needs GNU time (/usr/bin/time).
# Usage: bench/run.sh [LARGE_MIB]   (default 400)
. "$(dirname "$0")/common.sh"
runs=${RUNS:-5}
cmake --build --preset native --target unzip32 unzip32_single -j2 >/dev/null
lib=$root/build/native/unzip32
g++ -O2 -std=c++17 -I"$root/unzip32" bench/extract_cli.cpp -L"$lib" -lunzip32 -Wl,-rpath,"$lib" \
    -o "$work/uzbench"
# The driver again, finding the one-thread build under the library's name first.
mkdir -p "$work/one-thread"
cp "$lib/libunzip32_single.so" "$work/one-thread/libunzip32.so"
python3 bench/make_corpus.py "$work/corpus" "${1:-400}"
bench_scratch

python3 - "$work" "$runs" "$scratch" "$scratch_kind" <<'PY'
import os, shutil, statistics, subprocess, sys, time
sys.path.insert(0, 'bench')
from turns import take_turns
work, runs, out, out_kind = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
ours = os.path.join(work, 'uzbench')
tools = {
    'unzip32 (ours)': lambda a, d: [ours, a, d],
    'ours, one thread': lambda a, d: ['env', 'LD_LIBRARY_PATH=' + os.path.join(work, 'one-thread'), ours, a, d],
    'bsdtar': lambda a, d: ['bsdtar', '-xf', a, '-C', d],
    '7z': lambda a, d: ['7z', 'x', '-y', '-bd', '-bso0', '-o' + d, a],
    'python3 zipfile': lambda a, d: ['python3', '-c', 'import sys,zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])', a, d],
}
tools = {name: make for name, make in tools.items() if shutil.which(make('x', 'y')[0])}
peers = [name for name in ('bsdtar', '7z') if name in tools]
def measure(make, archive, folder):
    stats = os.path.join(work, 'time.txt')
    # GNU time reports the tool's own peak resident set; a child forked
    # straight from python3 would carry python's size in its figure.
    start = time.perf_counter()
    subprocess.run(['/usr/bin/time', '-o', stats, '-f', '%M'] + make(archive, folder), stdout=subprocess.DEVNULL,
                   check=True)
    wall = time.perf_counter() - start
    with open(stats) as f:
        return wall, int(f.read().split()[-1]) / 1024.0
for corpus, archive, results in take_turns(work, out, out_kind, runs, tools, measure):
    print(f'  {"tool":<18} {"best s":>7} {"median s":>9} {"peak MiB":>9}')
    for name, rows in results.items():
        best = min(rows)
        print(f'  {name:<18} {best[0]:7.2f} {statistics.median(r[0] for r in rows):9.2f} {best[1]:9.1f}')
    for label, pick in (('best', min), ('median', statistics.median)):
        if peers:
            ours_s = pick(r[0] for r in results['unzip32 (ours)'])
            fastest = min(pick(r[0] for r in results[p]) for p in peers)
            print(f'  ours / faster of {" and ".join(peers)} ({label}): {ours_s / fastest:.2f}')
PY
