#!/usr/bin/env bash
# The folder typed into the window, however it is written, is the one the
# files go to, the shortcuts point at and the program is started from. The
# package lies in a download folder on drive C, which is also setup.exe's
# current folder, and a marker program is planted at the root of drive C:
# only the installed program may ever start.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"

C=$(c_drive)
name="Destination E2E $$"
downloads="$C/Downloads $$"
pkg="$downloads/package"
wpkg="C:\\Downloads $$\\package"   # as drive C names it
planted="$C/writer.exe"
install_package "$pkg"
app_files=$(cd "$E2E_WORK/app" && find . -type f | sort)
installed_size=$(stat -c %s "$E2E_WORK/app/writer.exe")
mkdir -p "$C/Program Files/$name"   # the folder from the settings exists: no question
setup_ini "$pkg" "TARGET=$name" "ZIPFILE=Setup.zip" "EXEFILE=writer.exe" \
    "SHORTCUTDESKTOP=$name" "SHORTCUTPROGRAMS=$name" "AUTOLAUNCH=false"

cleanup() {
    rm -rf "$downloads" "$C/Program Files/$name" "$planted" "$planted.ran"
    (cd "$E2E_WORK/app" && find . -type f) | while read -r f; do rm -f "$C/$f"; done
    rm -rf "$C/docs" "$C/templates" "$C/writer.exe.ran"
    find "$C/users" -name "$name.lnk" -delete 2>/dev/null || true
    e2e_cleanup
}
trap cleanup EXIT

# install TYPED DIR WINDIR: installs with TYPED in the box and checks that DIR
# (WINDIR as Windows names it) received the files, that both shortcuts point
# there and that the program started is the one installed there.
install() {
    local typed=$1 dir=$2 windir=$3
    cp "$MARKER_EXE" "$planted"
    printf 'planted copy' >> "$planted"
    drive "
folder $wpkg
start $wpkg\\setup.exe
window frmSetup
set-text 100 $typed
click 101
box 30000
expect-caption Installation completed
answer 6
expect-exit 0 20000
"
    local f
    for f in $app_files; do
        [ -f "$dir/$f" ] || fail "typed '$typed': $f was not installed in $dir"
    done
    for i in $(seq 1 50); do [ -f "$dir/writer.exe.ran" ] && break; sleep 0.2; done
    [ -f "$dir/writer.exe.ran" ] || fail "typed '$typed': the installed program was not started"
    grep -q "^size=$installed_size" "$dir/writer.exe.ran" ||
        fail "typed '$typed': the program started is not the installed one: $(cat "$dir/writer.exe.ran")"
    # The shell starts it in setup.exe's current folder, as setup.exe would.
    tr -d '\r' < "$dir/writer.exe.ran" | grep -qxF "folder=$wpkg" ||
        fail "typed '$typed': the program did not start in the package folder: $(cat "$dir/writer.exe.ran")"
    [ "$dir/writer.exe" = "$planted" ] || [ ! -e "$planted.ran" ] ||
        fail "typed '$typed': the planted program was started"
    local wexe="${windir%\\}\\writer.exe" lnk
    for lnk in Desktop Programs; do
        local file
        file=$(find "$C/users" -path "*$lnk*" -name "$name.lnk" -print -quit)
        [ -n "$file" ] || fail "typed '$typed': no $lnk shortcut"
        expect_lnk "$file" "$wexe" "$windir" || fail "typed '$typed': $lnk shortcut"
        rm -f "$file"
    done
    rm -f "$dir/writer.exe.ran" "$planted.ran"
}

echo "== the root of drive C typed"
install 'C:\\' "$C" 'C:\'
[ ! -e "$pkg/readme.txt" ] || fail "files went to the current folder"

echo "== an empty box: the current folder"
install '' "$pkg" "$wpkg"

echo "== a relative folder: below the current folder"
install 'Apps\\Writer' "$pkg/Apps/Writer" "$wpkg\\Apps\\Writer"
echo "destination scenarios passed"
