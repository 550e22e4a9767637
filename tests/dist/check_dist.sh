#!/usr/bin/env bash
# Checks the artifacts in dist/ as their users meet them.
#   check_dist.sh CASE DIST LOAD_PROBE
# CASE:
#   shipped_files_plain   every artifact is there and needs no sanitizer
#                         runtime, no native one looks for libraries in the
#                         build tree, and no Windows one carries its link
#                         time (two builds of one commit give the same bytes)
#   native_library_loads  a plain program loads libunzip32.so and finds both
#                         entry points
#   setup_pack_elsewhere  setup-pack copied to another folder with the library
#                         works; without it, it names the file it could not
#                         load and writes nothing
set -euo pipefail
case_name=$1 dist=$2 probe=$3

native=(native/libunzip32.so native/setup-pack)
windows=(win32/setup.exe win32/unzip32.dll win32/setup-launcher.exe tools/setup-pack.exe tools/setup.exe
         tools/unzip32.dll tools/setup-launcher.exe)
sanitizer_libraries='(asan|ubsan|tsan|msan|lsan|hwasan|clang_rt)'
sanitizer_symbols='__(asan|ubsan|tsan|msan|lsan|hwasan)_'

failed=0
fail() { echo "FAIL: $*"; failed=1; }

shipped_files_plain() {
    local f
    for f in "${native[@]}" "${windows[@]}"; do
        [ -f "$dist/$f" ] || fail "dist/$f is missing (tools/build makes it)"
    done
    for f in "${native[@]}"; do
        [ -f "$dist/$f" ] || continue
        local needed
        needed=$(readelf -d "$dist/$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
        if grep -Eq "$sanitizer_libraries" <<<"$needed"; then
            fail "dist/$f needs a sanitizer runtime: $(echo $needed)"
        fi
        # A runtime linked in statically still leaves its symbols.
        if readelf -W --dyn-syms "$dist/$f" | grep -E "$sanitizer_symbols" >/dev/null; then
            fail "dist/$f holds sanitizer symbols"
        fi
        local paths
        paths=$(readelf -d "$dist/$f" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')
        if [ -n "$paths" ] && [ "$paths" != '$ORIGIN' ]; then
            fail "dist/$f looks for libraries in $paths"
        fi
    done
    for f in "${windows[@]}"; do
        [ -f "$dist/$f" ] || continue
        local imports
        imports=$(i686-w64-mingw32-objdump -p "$dist/$f" | sed -n 's/^\s*DLL Name: //p')
        if grep -Eiq "$sanitizer_libraries" <<<"$imports"; then
            fail "dist/$f imports a sanitizer runtime: $(echo $imports)"
        fi
        local stamp
        stamp=$(i686-w64-mingw32-objdump -x "$dist/$f" | sed -n 's/^Time\/Date\s*//p')
        [[ $stamp == *1970* ]] || fail "dist/$f carries the link time $stamp"
    done
}

native_library_loads() {
    "$probe" "$dist/native/libunzip32.so" || fail "a plain program cannot load dist/native/libunzip32.so"
}

setup_pack_elsewhere() {
    work=$(mktemp -d /tmp/installer-dist.XXXXXX)
    trap 'rm -rf "$work"' EXIT
    mkdir "$work/tool" "$work/app"
    cp "$dist/native/setup-pack" "$dist/native/libunzip32.so" "$work/tool/"
    printf 'program\r\n' > "$work/app/app.exe"
    # The programs a package ships: build takes only a 32-bit Windows program and DLL.
    cp "$dist/win32/setup.exe" "$dist/win32/unzip32.dll" "$work/"
    local tool=$work/tool/setup-pack
    build() {  # OUTDIR
        "$tool" build "$work/app" "$1" --target App --exe app.exe \
            --setup-exe "$work/setup.exe" --unzip-dll "$work/unzip32.dll"
    }

    "$tool" --help >/dev/null || fail "setup-pack --help failed"
    build "$work/package" > "$work/out" 2>&1 || fail "build failed: $(cat "$work/out")"
    grep -q "built and checked" "$work/out" || fail "build did not check the package: $(cat "$work/out")"

    rm "$work/tool/libunzip32.so"
    local command code
    for command in check build; do
        set +e
        if [ $command = check ]; then
            "$tool" check "$work/package" > "$work/out" 2> "$work/err"
        else
            build "$work/package2" > "$work/out" 2> "$work/err"
        fi
        code=$?
        set -e
        [ $code = 74 ] || fail "$command without the library: exit code $code, expected 74"
        grep -qF "$work/tool/libunzip32.so" "$work/err" ||
            fail "$command without the library does not name it: $(cat "$work/err")"
        if grep -q "Setup.ini" "$work/out" "$work/err"; then
            fail "$command without the library blames the package: $(cat "$work/out" "$work/err")"
        fi
    done
    [ ! -e "$work/package2" ] || fail "build without the library wrote $work/package2"
}

"$case_name"
if [ $failed = 0 ]; then echo "$case_name: passed"; fi
exit $failed
