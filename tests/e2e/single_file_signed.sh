#!/usr/bin/env bash
# The single-file installer signed after it was made (a self-signed
# certificate made here, osslsigncode): the signature verifies and covers
# the payload, and the signed file still installs.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"

C=$(c_drive)
target_name="Signed E2E $$"
dest="$C/Program Files/$target_name"
rm -rf "$dest"
mkdir -p "$dest"   # no folder question

pkg="$E2E_WORK/package"
install_package "$pkg"
setup_ini "$pkg" "APPLICATION=Sample Writer" "TARGET=$target_name" "ZIPFILE=Setup.zip" "EXEFILE=writer.exe" \
    "AUTOLAUNCH=TRUE"
make_single_file "$pkg" "$E2E_WORK/unsigned.exe"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Sample Publisher" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$E2E_WORK/key.pem" -out "$E2E_WORK/cert.pem" 2>/dev/null
signed="$E2E_WORK/Sample Writer Setup.exe"
osslsigncode sign -certs "$E2E_WORK/cert.pem" -key "$E2E_WORK/key.pem" -n "Sample Writer" \
    -in "$E2E_WORK/unsigned.exe" -out "$signed" > /dev/null || fail "osslsigncode cannot sign the single file"
verify() { osslsigncode verify -CAfile "$E2E_WORK/cert.pem" -in "$1" > "$E2E_WORK/verify.txt" 2>&1; }
verify "$signed" || { cat "$E2E_WORK/verify.txt"; fail "the signature does not verify"; }
[ "$(python3 -c 'import sys, zipfile; print(len(zipfile.ZipFile(sys.argv[1]).namelist()))' "$signed")" = 4 ] ||
    fail "the signed file's payload is not listed"

echo "== the signed file installs"
drive "
start $(winpath "$signed")
window frmSetup
key Enter
expect-exit 0
"
wait_for_file "$dest/writer.exe.ran" || fail "the installed program was not started"
rm -f "$dest/writer.exe.ran"
same_tree "$E2E_WORK/app" "$dest" || fail "installed files differ"
rm -rf "$dest"

echo "== a byte changed in the signed payload"
python3 - "$signed" "$E2E_WORK/changed.exe" <<'PY'
import sys, zipfile
data = bytearray(open(sys.argv[1], "rb").read())
entry = zipfile.ZipFile(sys.argv[1]).getinfo("Setup.zip")
data[entry.header_offset + 30 + len(entry.filename) + 500] ^= 0x01
open(sys.argv[2], "wb").write(data)
PY
! verify "$E2E_WORK/changed.exe" || fail "the signature still verifies a changed payload"
echo "single file signed scenario passed"
