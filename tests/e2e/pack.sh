#!/usr/bin/env bash
# setup-pack.exe under Wine: it builds a package from an application folder,
# the package installs for real through setup.exe, and its check reports a
# damaged Setup.ini by line. setup-pack.exe (with the unzip32.dll it loads)
# lies in the packer folder of the build tree that made SETUP_EXE.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"
SETUP_PACK=$(realpath "$(dirname "$SETUP_EXE")/../../packer/setup-pack.exe")
[ -f "$SETUP_PACK" ] || fail "no setup-pack.exe at $SETUP_PACK"
C="${WINEPREFIX:-$(dirname "$WINE_RUN")/../build/wine}/drive_c"

target_name="Packed E2E $$"
dest="$C/Program Files/$target_name"
rm -rf "$dest"

app="$E2E_WORK/app"
mkdir -p "$app/docs" "$app/empty"
printf 'not really a program\r\n' > "$app/writer.exe"
printf 'How to write.\r\n' > "$app/docs/guide.txt"
head -c 70000 /dev/urandom > "$app/docs/noise.bin"
printf 'caf\xc3\xa9\r\n' > "$app/caf$(printf '\xc3\xa9').txt"

echo "== build"
pkg="$E2E_WORK/package"
"$WINE_RUN" "$SETUP_PACK" build "$(winpath "$app")" "$(winpath "$pkg")" \
    --name "Packed Writer" --message "This installs Packed Writer." \
    --target "$target_name" --exe writer.exe --autolaunch false \
    > "$E2E_WORK/build.txt" 2>&1 || { cat "$E2E_WORK/build.txt"; fail "build did not succeed"; }
grep -q "built and checked" "$E2E_WORK/build.txt" || fail "no success line: $(cat "$E2E_WORK/build.txt")"
for f in Setup.ini Setup.zip setup.exe unzip32.dll; do [ -f "$pkg/$f" ] || fail "no $f in the package"; done
[ "$(cat "$pkg/Setup.ini")" = "$(printf 'MESSAGE=This installs Packed Writer.\r\nAPPLICATION=Packed Writer\r\nTARGET=%s\r\nZIPFILE=Setup.zip\r\nEXEFILE=writer.exe\r\nAUTOLAUNCH=false\r\n; code page 1252\r' "$target_name")" ] \
    || fail "Setup.ini: $(od -c "$pkg/Setup.ini" | head)"

echo "== install the package with setup.exe"
mkdir -p "$dest"   # no folder question
install_without_start "$pkg/setup.exe" || fail "the installation did not run as expected"
diff -r "$app" "$dest" > "$E2E_WORK/diff.txt" || fail "installed files differ: $(head "$E2E_WORK/diff.txt")"
rm -rf "$dest"

echo "== build again over it, the folder given with forward slashes"
printf 'version 2\r\n' > "$app/docs/guide.txt"
"$WINE_RUN" "$SETUP_PACK" build "$(winpath "$app")" "$(winpath "$pkg" | tr '\\' /)" \
    --name "Packed Writer" --message "This installs Packed Writer." \
    --target "$target_name" --exe writer.exe --autolaunch false \
    > "$E2E_WORK/again.txt" 2>&1 || { cat "$E2E_WORK/again.txt"; fail "the second build did not succeed"; }
grep -q "built and checked" "$E2E_WORK/again.txt" || fail "no success line: $(cat "$E2E_WORK/again.txt")"
! grep -q / "$E2E_WORK/again.txt" || fail "a message mixes path separators: $(cat "$E2E_WORK/again.txt")"
[ "$(ls -A "$pkg" | sort | tr '\n' ' ')" = "Setup.ini Setup.zip setup.exe unzip32.dll " ] ||
    fail "the package folder holds $(ls -A "$pkg")"
python3 -c "import sys, zipfile; assert zipfile.ZipFile(sys.argv[1]).read('docs/guide.txt') == b'version 2\r\n'" \
    "$pkg/Setup.zip" || fail "Setup.zip is not the new one"

echo "== check a damaged package"
printf 'TARGET=Packed\ntarget=x\r\nZIPFILE=Setup.zip\r\nEXEFILE=nothere.exe\r\nAUTOLAUNCH=yes\r\n' > "$pkg/Setup.ini"
rm "$pkg/unzip32.dll"
set +e
"$WINE_RUN" "$SETUP_PACK" check "$(winpath "$pkg")" > "$E2E_WORK/check.txt" 2>&1
code=$?
set -e
[ "$code" = 2 ] || fail "check exit code $code: $(cat "$E2E_WORK/check.txt")"
tr -d '\r' < "$E2E_WORK/check.txt" > "$E2E_WORK/check.lf"
for expected in "Setup.ini:1: error: line feeds without a carriage return join lines 1-2" \
                "Setup.ini:4: error: EXEFILE \"nothere.exe\" is not in the archive" \
                "Setup.ini:5: error: AUTOLAUNCH value is neither true, false nor a number" \
                "unzip32.dll: error: missing from the package folder"; do
    grep -qF "$expected" "$E2E_WORK/check.lf" || fail "missing \"$expected\" in: $(cat "$E2E_WORK/check.lf")"
done
echo "pack: all passed"
