#!/usr/bin/env bash
# Failures while Setup.ini is read end the program before the window shows:
# the standard report titled SETUP, then exit with the failure's number.
. "$E2E_LIB"

# No Setup.ini at all: 53, file not found.
pkg="$E2E_WORK/missing"
make_package "$pkg"
drive "
start $(winpath "$pkg/setup.exe")
box
expect-caption SETUP
expect-box-contains 53
expect-box-contains File not found
no-window frmSetup
answer 1
expect-exit 53
"

# An AUTOLAUNCH value that is no truth value: 13, type mismatch.
pkg="$E2E_WORK/bad autolaunch"
make_package "$pkg"
setup_ini "$pkg" "MESSAGE=before" "AUTOLAUNCH=yes" "MESSAGE=after"
drive "
start $(winpath "$pkg/setup.exe")
box
expect-caption SETUP
expect-box-contains 13
expect-box-contains Type mismatch
no-window frmSetup
answer 1
expect-exit 13
"

# A folder named Setup.ini cannot be read as a file: 75, path/file access error.
pkg="$E2E_WORK/folder"
make_package "$pkg"
mkdir "$pkg/Setup.ini"
drive "
start $(winpath "$pkg/setup.exe")
box
expect-caption SETUP
expect-box-contains 75
no-window frmSetup
answer 1
expect-exit 75
"
echo "start failure scenarios passed"
