#!/usr/bin/env bash
# Packing benchmark: setup-pack build (release build) against 7z a -tzip and
# bsdtar --format zip on the same application folder (make_app.py, kept in
# build/bench/app). The tools take turns, RUNS rounds (default 3), each run
# writing a new archive; printed per tool: the best and the median wall time,
# the CPU time and peak memory of the best run, the archive's size, and our
# ratios to the fastest and the smallest other. setup-pack's time includes
# the check it ends with (the whole archive tested by our unzip library),
# which is also timed on its own. Needs GNU time (/usr/bin/time).
. "$(dirname "$0")/common.sh"
cmake --build --preset native --target setup-pack -j2 >/dev/null
python3 bench/make_app.py "$work/app"
# Stand-ins for the programs a package ships: build takes only an i386
# program and DLL, so each is the headers of one and a section of zeros.
python3 - "$work" <<'PY'
import os, struct, sys
for name, characteristics in (('setup.exe', 0x0102), ('unzip32.dll', 0x2102)):
    image = bytearray(0x400)
    struct.pack_into('<HI', image, 0, 0x5A4D, 0)                    # MZ
    struct.pack_into('<I', image, 0x3C, 0x40)                       # e_lfanew
    struct.pack_into('<IHH', image, 0x40, 0x4550, 0x14C, 1)         # PE, i386, one section
    struct.pack_into('<HH', image, 0x54, 96 + 16 * 8, characteristics)
    struct.pack_into('<H', image, 0x58, 0x10B)                      # PE32
    struct.pack_into('<I', image, 0x58 + 60, 0x200)                 # SizeOfHeaders
    struct.pack_into('<I', image, 0x58 + 92, 16)                    # NumberOfRvaAndSizes
    struct.pack_into('<II', image, 0x58 + 96 + 128 + 16, 0x200, 0x200)  # raw data size, pointer
    open(os.path.join(sys.argv[1], name), 'wb').write(image)
PY

python3 - "$root" "$work" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, time
root, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
app = os.path.join(work, 'app')
exe = 'bin/' + sorted(os.listdir(os.path.join(app, 'bin')))[0]
out = os.path.join(work, 'out')
tools = {
    'setup-pack (ours)': lambda: [os.path.join(root, 'dist/native/setup-pack'), 'build', app, out,
                                  '--target', 'Bench', '--exe', exe,
                                  '--setup-exe', os.path.join(work, 'setup.exe'),
                                  '--unzip-dll', os.path.join(work, 'unzip32.dll')],
    '7z a -tzip': lambda: ['7z', 'a', '-tzip', '-bd', '-bso0', os.path.join(out, 'Setup.zip'), '.'],
    'bsdtar --format zip': lambda: ['bsdtar', '--format', 'zip', '-cf', os.path.join(out, 'Setup.zip'), '.'],
}
def measure(cmd):
    shutil.rmtree(out, ignore_errors=True)
    if not cmd[0].endswith('setup-pack'):
        os.makedirs(out)
    stats = os.path.join(work, 'time.txt')
    start = time.perf_counter()
    subprocess.run(['/usr/bin/time', '-o', stats, '-f', '%U %S %M'] + cmd, cwd=app,
                   stdout=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    with open(stats) as f:
        user, system, peak = f.read().split()[-3:]
    return wall, float(user) + float(system), int(peak) / 1024.0, os.path.getsize(os.path.join(out, 'Setup.zip'))
size = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(app) for f in fs)
files = sum(len(fs) for _, _, fs in os.walk(app))
print(f'application folder: {files} files, {size / 2**20:.0f} MiB; {os.cpu_count()} cores; '
      f'load {os.getloadavg()[0]:.1f} at start')
results = {name: [] for name in tools}
for _ in range(runs):
    for name, make in tools.items():
        results[name].append(measure(make()))
measure(tools['setup-pack (ours)']())  # a package to check
start = time.perf_counter()
subprocess.run([os.path.join(root, 'dist/native/setup-pack'), 'check', out], stdout=subprocess.DEVNULL)
check_wall = time.perf_counter() - start
print(f'  {"tool":<20} {"best s":>7} {"median s":>9} {"cpu s":>7} {"peak MiB":>9} {"archive MiB":>12}')
for name, rows in results.items():
    best = min(rows)
    print(f'  {name:<20} {best[0]:7.2f} {statistics.median(r[0] for r in rows):9.2f} {best[1]:7.2f} '
          f'{best[2]:9.1f} {best[3] / 2**20:12.2f}')
ours = min(results['setup-pack (ours)'])
others = [min(rows) for name, rows in results.items() if name != 'setup-pack (ours)']
print(f'  ours / fastest other (best wall): {ours[0] / min(o[0] for o in others):.2f}')
print(f'  ours / smallest other archive:    {ours[3] / min(o[3] for o in others):.4f}')
print(f'  of which the closing check (setup-pack check alone): {check_wall:.2f} s')
shutil.rmtree(out, ignore_errors=True)
PY
