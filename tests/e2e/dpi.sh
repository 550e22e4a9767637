#!/usr/bin/env bash
# At 144 DPI the twip layout scales by one and a half: the client area and
# every control keep their proportions (pixels rounded to the nearest).
. "$E2E_LIB"

set_dpi() {  # DPI, or "" for the default
    if [ -n "$1" ]; then
        "$WINE_RUN" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    else
        "$WINE_RUN" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
    fi
}
set_dpi 144
trap 'set_dpi ""; e2e_cleanup' EXIT

pkg="$E2E_WORK/dpi"
make_package "$pkg"
: > "$pkg/Setup.ini"
drive "
start $(winpath "$pkg/setup.exe")
window frmSetup
dump
expect-client 582 212
expect-rect 101 486 171 83 32
expect-rect 100 12 171 464 32
expect-rect 103 12 9 557 116
expect-rect 102 15 147 137 23
centred
close
expect-exit 0
"
echo "dpi scenario passed"
