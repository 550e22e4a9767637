#!/usr/bin/env bash
# Builds the libFuzzer target over the unzip library with clang and runs it
# for a bounded time (FUZZ_SECONDS, default 45). Usage: run_fuzz.sh BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$src/build/fuzz}
seconds=${FUZZ_SECONDS:-45}
mkdir -p "$out/corpus" "$out/seeds"

# The library's sources but its entry points, with the shipped run settings.
mapfile -t sources < <(find "$src/unzip32" -name '*.cpp' ! -name unzip32.cpp ! -name 'run_settings_*.cpp' | sort)
binary="$out/fuzz_archive"
newest=$(ls -t "${sources[@]}" $(find "$src/unzip32" -name '*.h') "$src/tests/fuzz/fuzz_archive.cpp" | head -1)
if [ ! -x "$binary" ] || [ "$newest" -nt "$binary" ]; then
    clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$src" "${sources[@]}" "$src/tests/fuzz/fuzz_archive.cpp" -lz -o "$binary"
fi
python3 "$src/tests/fuzz/make_seeds.py" "$out/seeds"
cd "$out"
exec "$binary" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 corpus seeds
