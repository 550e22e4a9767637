#!/usr/bin/env bash
# The single-file installer with a payload that takes seconds to unpack: its
# window names the application and shows the progress; Cancel leaves nothing
# behind and starts nothing. The payload here is an archive simply appended
# to the launcher, its offsets counting from its own start.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"

setup_ini "$E2E_WORK" "APPLICATION=Large Writer" "TARGET=Large Writer $$" "ZIPFILE=Setup.zip" "EXEFILE=writer.exe"
single="$E2E_WORK/Large Writer Setup.exe"
# Nearly two GiB of zeros: a few MiB in the payload, and seconds of writing
# for the launcher, however fast the machine.
python3 - "$E2E_WORK/payload.zip" "$E2E_WORK/Setup.ini" "$SETUP_EXE" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
    z.write(sys.argv[2], "Setup.ini")
    z.write(sys.argv[3], "setup.exe")
    with z.open("Setup.zip", "w") as archive:
        zeros = bytes(1 << 24)
        for _ in range(120):
            archive.write(zeros)
PY
cat "$LAUNCHER_EXE" "$E2E_WORK/payload.zip" > "$single"

before=$(launcher_folders)
drive "
start $(winpath "$single")
window SetupUnpacking
expect-caption Large Writer
expect-text 100 Preparing the installation of Large Writer...
click 2
expect-exit 1223
no-window frmSetup
"
[ "$(launcher_folders)" = "$before" ] || fail "a folder is left: $(launcher_folders)"
echo "single file cancel scenario passed"
