#!/usr/bin/env bash
# Every way of pressing Install runs the install procedure: Alt+I and Enter
# with the focus in the folder box, Space on the focused button, a click. The
# package has no archive, so the procedure answers with its "can't locate"
# box and ends the program.
. "$E2E_LIB"

pkg="$E2E_WORK/no archive"
make_package "$pkg"
setup_ini "$pkg" "TARGET=Keys" "ZIPFILE=Setup.zip"
exe=$(winpath "$pkg/setup.exe")

press() {  # how... : driver lines that press Install once the window is up
    drive "
start $exe
window frmSetup
expect-focus 100
$1
box
expect-box-text Error: Can't locate Setup.zip
answer 1
wait-exit
"
}

press "key Alt+I"
press "key Enter"
press "key Tab
expect-focus 101
key Space"
press "click 101"

# Install is the default button, not the cancel button: Escape does nothing.
# The Tab after it is handled after it, so once the focus has moved the
# Escape has been dealt with.
drive "
start $exe
window frmSetup
key Escape
key Tab
expect-focus 101
no-window #32770
close
expect-exit 0
"
echo "install key scenarios passed"
