#!/usr/bin/env bash
# The single-file installer: the sample's single file installs as the package
# folder does, from a private folder in the Windows folder's Temp whose access
# list grants nothing to Everyone or Users and which is gone afterwards;
# libraries and package files planted beside it are not used; a flipped byte
# in its payload is reported and starts nothing, and a setup.exe that is no
# program is named in the box. Any zip tool lists its payload.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"

C=$(c_drive)
target_name="Single File E2E $$"
dest="$C/Program Files/$target_name"
rm -rf "$dest"
# As in the safe start scenario: without this, Wine would answer a load of
# these names with its own library even when the planted file is found.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}version,uxtheme,dwmapi=n,b"

imports=$("$OBJDUMP" -p "$LAUNCHER_EXE" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
[ "$(echo $imports)" = "kernel32.dll msvcrt.dll" ] || fail "the launcher imports $(echo $imports)"

pkg="$E2E_WORK/package"
install_package "$pkg"
setup_ini "$pkg" "MESSAGE=This installs Sample Writer." "APPLICATION=Sample Writer" "TARGET=$target_name" \
    "ZIPFILE=Setup.zip" "EXEFILE=writer.exe" "SHORTCUTPROGRAMS=$target_name" "SHORTCUTDESKTOP=$target_name"
downloads="$E2E_WORK/Downloads"
mkdir -p "$downloads"
single="$downloads/Sample Writer Setup.exe"
make_single_file "$pkg" "$single"

echo "== zip tools list the payload"
names=$'Setup.ini\nSetup.zip\nsetup.exe\nunzip32.dll'
[ "$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$single")" = "$names" ] ||
    fail "python3 zipfile does not list the four files"
[ "$(bsdtar -tf "$single")" = "$names" ] || fail "bsdtar does not list the four files"
[ "$(7z l -tzip -ba "$single" | awk '{print $NF}')" = "$names" ] || fail "7z does not list the four files"

echo "== the single file installs, with files planted beside it"
for dll in version uxtheme dwmapi unzip32; do cp "$PLANTED_DIR/$dll.dll" "$downloads/"; done
setup_ini "$downloads" "APPLICATION=Planted" "TARGET=Planted $$" "ZIPFILE=Setup.zip" "EXEFILE=writer.exe"
printf 'not the archive' > "$downloads/Setup.zip"
before=$(launcher_folders)
drive "
start $(winpath "$single")
window frmSetup
expect-caption  Sample Writer (Setup by Quenbrook)
run $(winpath "$FOLDER_ACL_EXE") frmSetup
click 101
box
expect-box-text The destination folder does not exist.\rDo you want to create it now?
answer 6
box
expect-caption Installation completed
answer 6
expect-exit 0
" > "$E2E_WORK/install.txt" || { cat "$E2E_WORK/install.txt"; fail "the single file did not install"; }
cat "$E2E_WORK/install.txt"
wait_for_file "$dest/writer.exe.ran" || fail "the installed program was not started"
rm -f "$dest/writer.exe.ran"
same_tree "$E2E_WORK/app" "$dest" || fail "installed files differ"
expect_shortcuts "$target_name"
rm -rf "$dest"
unpacked=$(sed -n 's/^folder C:\\//p' "$E2E_WORK/install.txt" | tr -d '\r' | tr '\\' /)
[ -n "$unpacked" ] || fail "no unpacked folder seen"
case "${unpacked,,}" in windows/temp/setup-*) ;; *) fail "unpacked into $unpacked, not the Windows folder's Temp" ;; esac
[ ! -e "$C/$unpacked" ] || fail "the unpacked folder $unpacked is left"
[ "$(launcher_folders)" = "$before" ] || fail "a folder is left: $(launcher_folders)"
[ ! -e "$C/Program Files/Planted $$" ] || fail "the planted Setup.ini was read"

echo "== one flipped byte in the payload (the planted libraries still beside it)"
damaged="$downloads/Damaged Setup.exe"
python3 - "$single" "$damaged" <<'PY'
import sys, zipfile
data = bytearray(open(sys.argv[1], "rb").read())
entry = zipfile.ZipFile(sys.argv[1]).getinfo("setup.exe")
data[entry.header_offset + 30 + len(entry.filename) + 1000] ^= 0x01
open(sys.argv[2], "wb").write(data)
PY
drive "
start $(winpath "$damaged")
box
expect-box-contains This installer is damaged: setup.exe:
answer 1
expect-exit 1392
no-window frmSetup
"
[ "$(launcher_folders)" = "$before" ] || fail "a folder is left: $(launcher_folders)"
# The box loads the theme and version libraries: without the safe start the
# planted ones would be taken.
loaded=$(cd "$downloads" && ls ./*.loaded 2>/dev/null || true)
[ -z "$loaded" ] || fail "planted libraries loaded: $loaded"
echo "== a setup.exe that is no program"
python3 - "$LAUNCHER_EXE" "$downloads/Not A Program Setup.exe" <<'PY'
import io, sys, zipfile
payload = io.BytesIO()
with zipfile.ZipFile(payload, "w") as z:
    z.writestr("Setup.ini", "APPLICATION=Nothing\r\n")
    z.writestr("setup.exe", "not a program")
open(sys.argv[2], "wb").write(open(sys.argv[1], "rb").read() + payload.getvalue())
PY
drive "
start $(winpath "$downloads/Not A Program Setup.exe")
box
box-text
expect-box-contains The installer cannot start setup.exe:
expect-box-contains \\\\Temp\\\\setup-
expect-box-contains \\\\setup.exe.
answer 1
expect-exit 1603
" > "$E2E_WORK/no-program.txt" || { cat "$E2E_WORK/no-program.txt"; fail "a setup.exe that is no program"; }
cat "$E2E_WORK/no-program.txt"
grep -q '%1' "$E2E_WORK/no-program.txt" && fail "the box shows a raw insert: $(cat "$E2E_WORK/no-program.txt")"
[ "$(launcher_folders)" = "$before" ] || fail "a folder is left: $(launcher_folders)"
echo "single file scenario passed"
