#!/usr/bin/env bash
# Real installations of the sample package: setup.exe driven through its
# window and boxes, then the files, shortcuts and started programs checked.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"

C=$(c_drive)
target_name="Sample Writer E2E $$"
dest="$C/Program Files/$target_name"
wdest="C:\\\\Program Files\\\\$target_name"   # as written in a driver script
planted=("$C/Program.exe" "$C/Program Files/Sample.exe")
rm -rf "$dest" "${planted[@]}" "${planted[0]}.ran" "${planted[1]}.ran"

standard_ini() {  # extra lines follow
    setup_ini "$1" "MESSAGE=This installs Sample Writer." "APPLICATION=Sample Writer" \
        "TARGET=$target_name" "ZIPFILE=Setup.zip" "EXEFILE=writer.exe" \
        "SHORTCUTPROGRAMS=$target_name" "SHORTCUTDESKTOP=$target_name" "${@:2}"
}

# install_through_library_box PKG LINES: installs PKG into an existing folder;
# the box the unzip library raises on the way is handled by the driver LINES,
# and the completion question is answered No.
install_through_library_box() {
    mkdir -p "$dest"
    setup_ini "$1" "TARGET=$target_name" "ZIPFILE=Setup.zip" "EXEFILE=writer.exe"
    drive "
start $(winpath "$1/setup.exe")
window frmSetup
click 101
box
expect-caption SETUP
$2
box
expect-caption Installation completed
answer 7
expect-exit 0
"
}

echo "== the whole installation into a missing folder, with a planted C:\\Program.exe"
pkg="$E2E_WORK/package one"
install_package "$pkg"
standard_ini "$pkg" "AUTOLAUNCH=false"
# Programs planted where an unquoted command line would find them first.
for p in "${planted[@]}"; do cp "$MARKER_EXE" "$p"; done
drive "
start $(winpath "$pkg/setup.exe")
window frmSetup
expect-text 100 $wdest
key Alt+I
box
expect-box-text The destination folder does not exist.\rDo you want to create it now?
answer 7
window frmSetup
click 101
box
answer 6
box
expect-caption Installation completed
expect-box-text Setup was completed succesfully!\r\rDo you want to start the application now?
answer 6
expect-exit 0
"
wait_for_file "$dest/writer.exe.ran" || fail "the installed program was not started"
for p in "${planted[@]}"; do [ ! -e "$p.ran" ] || fail "the planted $p was started"; done
# Started by the desktop's shell (Wine's explorer.exe serves the desktop too),
# so with the person's rights rather than setup.exe's.
grep -q '^parent=explorer.exe' "$dest/writer.exe.ran" ||
    fail "the installed program was not started by the shell: $(cat "$dest/writer.exe.ran")"
rm -f "$dest/writer.exe.ran"
same_tree "$E2E_WORK/app" "$dest" || fail "extracted files differ"
expect_shortcuts "$target_name"
rm -f "${planted[@]}"

echo "== the archive missing"
pkg="$E2E_WORK/package two"
make_package "$pkg"
cp "$UNZIP32_DLL" "$pkg/unzip32.dll"
setup_ini "$pkg" "TARGET=Never Created $$" "ZIPFILE=Other.zip"
drive "
start $(winpath "$pkg/setup.exe")
window frmSetup
click 101
box
expect-caption SETUP
expect-box-text Error: Can't locate Setup.zip
answer 1
expect-exit 0
"
[ ! -e "$C/Program Files/Never Created $$" ] || fail "a folder was created"

echo "== an existing folder, Enter presses Install, AutoLaunch starts without asking"
pkg="$E2E_WORK/package three"
install_package "$pkg"
setup_ini "$pkg" "TARGET=$target_name" "ZIPFILE=Setup.zip" "EXEFILE=writer.exe" "AUTOLAUNCH=TRUE"
drive "
start $(winpath "$pkg/setup.exe")
window frmSetup
key Enter
expect-exit 0
"
wait_for_file "$dest/writer.exe.ran" || fail "AutoLaunch did not start the program"
rm -rf "$dest"

echo "== a corrupt archive: the library's message, then the completion question"
pkg="$E2E_WORK/package four"
install_package "$pkg"
python3 - "$pkg/Setup.zip" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
# Spoil the compressed data of the first entry (after its 30-byte header and name).
name_len = data[26] | data[27] << 8
extra_len = data[28] | data[29] << 8
start = 30 + name_len + extra_len
for i in range(start, start + 8):
    data[i] ^= 0x5A
open(sys.argv[1], "wb").write(data)
PY
install_through_library_box "$pkg" "expect-box-contains readme.txt: its compressed data is invalid
answer 1"
rm -rf "$dest"

echo "== sixty refused entries: the library's box shows what fits on the screen"
pkg="$E2E_WORK/package six"
install_package "$pkg"
python3 - "$pkg/Setup.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "a") as z:
    for i in range(60):
        z.writestr("../outside%02d.txt" % i, "refused")
PY
install_through_library_box "$pkg" "expect-box-contains outside00.txt
on-screen
expect-box-contains more lines not shown
answer 1"
same_tree "$E2E_WORK/app" "$dest" || fail "the good entries were not all extracted"
rm -rf "$dest"

echo "== an encrypted archive: the password box during extraction"
pkg="$E2E_WORK/package five"
make_package "$pkg"
cp "$UNZIP32_DLL" "$pkg/unzip32.dll"
sample_app "$E2E_WORK/secret"
(cd "$E2E_WORK/secret" && 7z a -tzip -mem=ZipCrypto -psesame "$pkg/Setup.zip" . >/dev/null)
install_through_library_box "$pkg" "expect-box-contains Please Enter The Password!
type sesame
answer 1"
same_tree "$E2E_WORK/secret" "$dest" || fail "encrypted archive not extracted"
rm -rf "$dest"
echo "install scenarios passed"
