#!/usr/bin/env bash
# The setup window with the settings of a package applied: caption, texts,
# client size, control rectangles (96 DPI), frame, icons, focus and tab order;
# the close box ends the program with nothing written.
. "$E2E_LIB"

pkg="$E2E_WORK/Sample Package"
make_package "$pkg"
setup_ini "$pkg" \
    "[Setup]" \
    "MESSAGE=This installs Sample Writer 1.2 on your computer." \
    "APPLICATION=Sample Writer 1.2" \
    "TARGET=Sample Writer" \
    "ZIPFILE=Setup.zip" \
    "EXEFILE=writer.exe" \
    "SHORTCUTPROGRAMS=Sample Writer" \
    "SHORTCUTDESKTOP=Writer" \
    "AUTOLAUNCH=false" \
    "autolaunch=1" \
    "TARGET = Other" \
    "MESSAGE=Step 1=copy"
# The package folder's own entries only: its parent changes whenever the
# scenario writes a driver script beside it.
before=$(cd "$pkg" && ls -lA --time-style=full-iso)
exe=$(winpath "$pkg/setup.exe")

drive "
start $exe
window frmSetup
dump
expect-caption  Sample Writer 1.2 (Setup by Quenbrook)
expect-text 103 Step 1
expect-text 102 Destination Folder
expect-text 100 C:\\\\Program Files\\\\Sample Writer
expect-text 101 &Install
expect-client 388 141
expect-rect 101 324 114 55 21
expect-rect 100 8 114 309 21
expect-rect 103 8 6 371 77
expect-rect 102 10 98 91 15
expect-frame caption sysmenu -minimize -maximize -sizing
expect-file-icons \"$exe\" 32x32x4 16x16x4
expect-version \"$exe\" ProductName SETUP
expect-version \"$exe\" FileVersion 1.00
expect-version \"$exe\" ProductVersion 1.00
expect-version \"$exe\" InternalName setup
expect-version \"$exe\" OriginalFilename setup.exe
centred
expect-focus 100
key Tab
expect-focus 101
key Tab
expect-focus 100
key Shift+Tab
expect-focus 101
key Shift+Tab
expect-focus 100
close
expect-exit 0
"

after=$(cd "$pkg" && ls -lA --time-style=full-iso)
if [ "$before" != "$after" ]; then
    echo "the package folder changed:"; diff <(echo "$before") <(echo "$after") || true
    exit 1
fi
if [ -e "$WINEPREFIX/drive_c/Program Files/Sample Writer" ]; then
    echo "closing the window created the destination folder"
    exit 1
fi

# An empty Setup.ini leaves the designed texts.
pkg2="$E2E_WORK/empty"
make_package "$pkg2"
: > "$pkg2/Setup.ini"
drive "
start $(winpath "$pkg2/setup.exe")
window frmSetup
expect-caption Setup
expect-text 103 Press the Install button to start the installation of this program
expect-text 100 
expect-focus 100
close
expect-exit 0
"
# A message longer than the label wraps and is cut off inside it: neither the
# label nor the window grows. Its "&" marks an access key.
pkg3="$E2E_WORK/long"
make_package "$pkg3"
long="Tom & Jerry: $(printf 'a long message that goes on %.0s' $(seq 1 30))end"
setup_ini "$pkg3" "MESSAGE=$long"
drive "
start $(winpath "$pkg3/setup.exe")
window frmSetup
expect-text 103 $long
expect-client 388 141
expect-rect 103 8 6 371 77
expect-rect 102 10 98 91 15
close
expect-exit 0
"
echo "window scenario passed"
