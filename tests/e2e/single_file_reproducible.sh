#!/usr/bin/env bash
# The branded single file is reproducible to the byte: setup-pack.exe under
# Wine, run twice at different clock times and in different time zones with
# SOURCE_DATE_EPOCH, writes the same bytes, and so does the native setup-pack
# from the same inputs. The branded file installs, its payload found after
# the rebuilt launcher image.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"

[ -x "$NATIVE_SETUP_PACK" ] || fail "no native setup-pack at $NATIVE_SETUP_PACK (tools/build makes it)"
C=$(c_drive)
target_name="Reproducible E2E $$"
dest="$C/Program Files/$target_name"
rm -rf "$dest"
mkdir -p "$dest"   # no folder question

sample_app "$E2E_WORK/app"
convert -size 48x48 xc:'#2E8B57' -define icon:auto-resize=48,32,16 "$E2E_WORK/publisher.ico"
options=(--name "Sample Writer" --target "$target_name" --exe writer.exe --autolaunch true
         --icon "$E2E_WORK/publisher.ico" --product-version 1.0.2 --company "Sample & Sons"
         --description "Sample Writer, the installer")
wine_build() {  # FOLDER ZONE: the package and single file made by setup-pack.exe
    mkdir -p "$1"
    SOURCE_DATE_EPOCH=1700000000 TZ=$2 "$WINE_RUN" "$SETUP_PACK_EXE" build "$(winpath "$E2E_WORK/app")" \
        "$(winpath "$1/package")" --single-file "$(winpath "$1/Sample Writer Setup.exe")" "${options[@]}" \
        > "$1.txt" 2>&1 || { cat "$1.txt"; fail "setup-pack.exe build in $2 failed"; }
}

echo "== setup-pack.exe, twice, two seconds and two zones apart"
wine_build "$E2E_WORK/utc" UTC0
sleep 2   # the MS-DOS time fields count every two seconds
wine_build "$E2E_WORK/kathmandu" NPT-5:45
cmp "$E2E_WORK/utc/Sample Writer Setup.exe" "$E2E_WORK/kathmandu/Sample Writer Setup.exe" ||
    fail "two builds of the same inputs differ"

echo "== the native setup-pack, from the same inputs"
mkdir -p "$E2E_WORK/native"
SOURCE_DATE_EPOCH=1700000000 TZ=JST-9 "$NATIVE_SETUP_PACK" build "$E2E_WORK/app" "$E2E_WORK/native/package" \
    --single-file "$E2E_WORK/native/Sample Writer Setup.exe" --setup-exe "$SETUP_EXE" --unzip-dll "$UNZIP32_DLL" \
    --launcher "$LAUNCHER_EXE" "${options[@]}" > "$E2E_WORK/native.txt" 2>&1 ||
    { cat "$E2E_WORK/native.txt"; fail "the native build failed"; }
cmp "$E2E_WORK/utc/Sample Writer Setup.exe" "$E2E_WORK/native/Sample Writer Setup.exe" ||
    fail "setup-pack.exe and the native setup-pack differ"

echo "== the branded file installs"
"$WINE_RUN" "$IDENTITY_READ_EXE" "$(winpath "$E2E_WORK/utc/Sample Writer Setup.exe")" | tr -d '\r' |
    grep -qxF "FileDescription=Sample Writer, the installer" || fail "Windows does not read the description"
drive "
start $(winpath "$E2E_WORK/utc/Sample Writer Setup.exe")
window frmSetup
key Enter
expect-exit 0
"
wait_for_file "$dest/writer.exe.ran" || fail "the installed program was not started"
rm -f "$dest/writer.exe.ran"
same_tree "$E2E_WORK/app" "$dest" || fail "installed files differ"
rm -rf "$dest"
echo "single file reproducible scenario passed"
