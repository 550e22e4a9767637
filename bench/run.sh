#!/usr/bin/env bash
# Extraction benchmark: our library (release build) against bsdtar, 7z and
# python3 zipfile on a generated corpus. Prints wall time and peak memory of
# each (best of RUNS, default 3) and our ratio to the fastest other tool.
# Usage: bench/run.sh [LARGE_MIB]   (default 400). Needs GNU time (/usr/bin/time).
. "$(dirname "$0")/common.sh"
cmake --build --preset native --target unzip32 -j2 >/dev/null
lib=$root/build/native/unzip32
g++ -O2 -std=c++17 -I"$root/unzip32" bench/extract_cli.cpp -L"$lib" -lunzip32 -Wl,-rpath,"$lib" \
    -o "$work/uzbench"
python3 bench/make_corpus.py "$work/corpus" "${1:-400}"

python3 - "$work" "$runs" <<'PY'
import os, shutil, subprocess, sys, time
work, runs = sys.argv[1], int(sys.argv[2])
dest = os.path.join(work, 'dest')
tools = {
    'unzip32 (ours)': lambda a: [os.path.join(work, 'uzbench'), a, dest],
    'bsdtar': lambda a: ['bsdtar', '-xf', a, '-C', dest],
    '7z': lambda a: ['7z', 'x', '-y', '-bd', '-bso0', '-o' + dest, a],
    'python3 zipfile': lambda a: ['python3', '-c', 'import sys,zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])', a, dest],
}
def measure(cmd):
    # GNU time reports the tool's own peak resident set; a child forked
    # straight from python3 would carry python's size in its figure.
    shutil.rmtree(dest, ignore_errors=True)
    os.makedirs(dest)
    subprocess.run(['sync'])
    stats = os.path.join(work, 'time.txt')
    start = time.perf_counter()
    subprocess.run(['/usr/bin/time', '-o', stats, '-f', '%M'] + cmd, stdout=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    with open(stats) as f:
        peak_kib = int(f.read().split()[-1])
    return wall, peak_kib / 1024.0
for corpus in ('many.zip', 'large.zip'):
    archive = os.path.join(work, 'corpus', corpus)
    print(f'\n{corpus} ({os.path.getsize(archive) / 2**20:.0f} MiB)')
    print(f'  {"tool":<18} {"wall s":>8} {"peak MiB":>9}')
    results = {}
    for name, make in tools.items():
        if shutil.which(make('x')[0]) is None and not os.path.exists(make('x')[0]):
            continue
        best = min((measure(make(archive)) for _ in range(runs)), key=lambda r: r[0])
        results[name] = best
        print(f'  {name:<18} {best[0]:8.2f} {best[1]:9.1f}')
    ours = results['unzip32 (ours)'][0]
    others = [v[0] for k, v in results.items() if k != 'unzip32 (ours)']
    print(f'  ours / fastest other: {ours / min(others):.2f}')
shutil.rmtree(dest, ignore_errors=True)
PY
