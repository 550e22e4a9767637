#!/usr/bin/env bash
# Builds the libFuzzer target over the unzip library with clang and runs it
# for a bounded time (FUZZ_SECONDS, default 45). Usage: run_fuzz.sh BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$src/build/fuzz}
seconds=${FUZZ_SECONDS:-45}
mkdir -p "$out/corpus" "$out/seeds"

sources=()
for f in "$src"/unzip32/*.cpp; do
    [ "$(basename "$f")" = unzip32.cpp ] || sources+=("$f")
done
binary="$out/fuzz_archive"
newest=$(ls -t "${sources[@]}" "$src"/unzip32/*.h "$src/tests/fuzz/fuzz_archive.cpp" | head -1)
if [ ! -x "$binary" ] || [ "$newest" -nt "$binary" ]; then
    clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$src/unzip32" "${sources[@]}" "$src/tests/fuzz/fuzz_archive.cpp" -lz -o "$binary"
fi
python3 "$src/tests/fuzz/make_seeds.py" "$out/seeds"
cd "$out"
exec "$binary" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 corpus seeds
