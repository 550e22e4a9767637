# Sourced by the install scenarios after lib.sh. Expects from ctest, beside
# lib.sh's variables: UNZIP32_DLL, MARKER_EXE, LNKREAD_EXE, SAMPLES_DIR, and
# for single files LAUNCHER_EXE and SETUP_PACK_EXE.

# The Wine prefix's C: drive, as the scenarios' programs see it.
c_drive() { printf '%s/drive_c' "${WINEPREFIX:-$(dirname "$WINE_RUN")/../build/wine}"; }

# sample_app DIR: the sample application's files with the marker program as writer.exe.
sample_app() {
    mkdir -p "$1"
    cp -r "$SAMPLES_DIR/sample-writer/app/." "$1/"
    cp "$MARKER_EXE" "$1/writer.exe"
}

# make_zip ZIP DIR: an archive of DIR's content (deflated, names relative to DIR).
make_zip() {
    python3 - "$1" "$2" <<'PY'
import os, sys, zipfile
archive, root = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
    for folder, dirs, files in os.walk(root):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            z.write(path, os.path.relpath(path, root))
PY
}

# install_package DIR: setup.exe, unzip32.dll and Setup.zip of the sample
# application (Setup.ini is written by the scenario).
install_package() {
    make_package "$1"
    cp "$UNZIP32_DLL" "$1/unzip32.dll"
    sample_app "$E2E_WORK/app"
    make_zip "$1/Setup.zip" "$E2E_WORK/app"
}

# install_without_start SETUP_EXE: the package's setup.exe installs into a
# destination folder that exists already, and No is answered to starting the
# program. The path may hold spaces.
install_without_start() {
    drive "
start \"$(winpath "$1")\"
window frmSetup
click 101
box
expect-caption Installation completed
answer 7
expect-exit 0
"
}

# wait_for_file FILE: waits until FILE exists, as long as a busy machine may
# need to start the program that makes it; fails only when a minute passes.
wait_for_file() {
    local i
    for i in $(seq 1 300); do [ -e "$1" ] && return 0; sleep 0.2; done
    return 1
}

# same_tree A B: the two folders hold the same files with the same bytes.
same_tree() {
    if ! diff -r "$1" "$2" >/dev/null; then
        echo "the folders differ: $1 $2"; diff -r "$1" "$2" | head -20
        return 1
    fi
}

# expect_lnk FILE TARGET FOLDER: the shortcut, read back through the shell,
# points at TARGET with working folder FOLDER and no arguments.
expect_lnk() {
    local out
    out=$("$WINE_RUN" "$LNKREAD_EXE" "$(winpath "$1")" | tr -d '\r')
    local want
    want=$(printf 'target=%s\narguments=\nfolder=%s' "$2" "$3")
    if [ "$out" != "$want" ]; then
        echo "shortcut $1:"; echo "$out"; echo "expected:"; echo "$want"
        return 1
    fi
}

# expect_shortcuts NAME: the Desktop and Programs shortcuts NAME.lnk point at
# writer.exe in C:\Program Files\NAME; both are removed afterwards.
expect_shortcuts() {
    local dir="C:\\Program Files\\$1" desktop programs
    desktop=$(find "$(c_drive)/users" -path '*Desktop*' -name "$1.lnk" -print -quit)
    programs=$(find "$(c_drive)/users" -path '*Programs*' -name "$1.lnk" -print -quit)
    [ -n "$desktop" ] || fail "no Desktop shortcut"
    [ -n "$programs" ] || fail "no Programs shortcut"
    expect_lnk "$desktop" "$dir\\writer.exe" "$dir" || fail "Desktop shortcut"
    expect_lnk "$programs" "$dir\\writer.exe" "$dir" || fail "Programs shortcut"
    rm -f "$desktop" "$programs"
}

# make_single_file PKG FILE: the single file of package folder PKG, made by
# setup-pack.exe bundle with the launcher beside it (warnings let it through).
make_single_file() {
    local code=0
    "$WINE_RUN" "$SETUP_PACK_EXE" bundle "$(winpath "$1")" "$(winpath "$2")" > "$E2E_WORK/bundle.txt" 2>&1 || code=$?
    [ $code -le 1 ] || { cat "$E2E_WORK/bundle.txt"; fail "no single file made of $1 (exit code $code)"; }
}

# launcher_folders: the folders single files unpack into (the Windows
# folder's Temp), or ever did (the users' temporary folders), as they are now.
launcher_folders() {
    find "$(c_drive)/windows/temp" "$(c_drive)/users" -maxdepth 5 -type d -name 'setup-????????????????' | sort
}

# fail MESSAGE
fail() { echo "FAIL: $*"; exit 1; }
