#!/usr/bin/env bash
# The single-file installer signed by setup-pack's --sign-command with
# osslsigncode and a self-signed certificate made here: the signatures of
# setup.exe and unzip32.dll inside the payload and of the single file verify,
# the signature covers the payload, the signed file still installs, and a
# failing sign command leaves nothing behind. osslsigncode is a Linux program,
# so the native setup-pack (dist/native, made by tools/build) runs it.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"

[ -x "$NATIVE_SETUP_PACK" ] || fail "no native setup-pack at $NATIVE_SETUP_PACK (tools/build makes it)"
C=$(c_drive)
target_name="Signed E2E $$"
dest="$C/Program Files/$target_name"
rm -rf "$dest"
mkdir -p "$dest"   # no folder question

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Sample Publisher" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$E2E_WORK/key.pem" -out "$E2E_WORK/cert.pem" 2>/dev/null
sign_with() {  # KEY: the sign command with that key
    printf "osslsigncode sign -certs '%s' -key '%s' -n 'Sample Writer' -in {in} -out {out}" "$E2E_WORK/cert.pem" "$1"
}
sample_app "$E2E_WORK/app"
build() {  # OUTDIR SINGLE_FILE KEY
    "$NATIVE_SETUP_PACK" build "$E2E_WORK/app" "$1" --name "Sample Writer" --target "$target_name" --exe writer.exe \
        --autolaunch true --setup-exe "$SETUP_EXE" --unzip-dll "$UNZIP32_DLL" --launcher "$LAUNCHER_EXE" \
        --single-file "$2" --sign-command "$(sign_with "$3")"
}

echo "== build, signing every program"
signed="$E2E_WORK/Sample Writer Setup.exe"
build "$E2E_WORK/package" "$signed" "$E2E_WORK/key.pem" > "$E2E_WORK/build.txt" 2>&1 ||
    { cat "$E2E_WORK/build.txt"; fail "the signed build failed"; }
python3 - "$signed" "$E2E_WORK/carried" <<'PY'
import sys, zipfile
zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2], ["setup.exe", "unzip32.dll"])
PY
verify() { osslsigncode verify -CAfile "$E2E_WORK/cert.pem" -in "$1" > "$E2E_WORK/verify.txt" 2>&1; }
for program in "$signed" "$E2E_WORK/carried/setup.exe" "$E2E_WORK/carried/unzip32.dll"; do
    verify "$program" || { cat "$E2E_WORK/verify.txt"; fail "the signature of $program does not verify"; }
done
cmp -s "$E2E_WORK/carried/setup.exe" "$E2E_WORK/package/setup.exe" || fail "the payload's setup.exe is not the package's"

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

echo "== a failing sign command"
mkdir "$E2E_WORK/failed"
code=0
build "$E2E_WORK/failed/package" "$E2E_WORK/failed/Setup.exe" "$E2E_WORK/no-key.pem" > "$E2E_WORK/failed.txt" 2>&1 ||
    code=$?
[ $code = 74 ] || { cat "$E2E_WORK/failed.txt"; fail "exit code $code, expected 74"; }
grep -q "failed: the sign command ended with exit code" "$E2E_WORK/failed.txt" || fail "$(cat "$E2E_WORK/failed.txt")"
[ -z "$(ls -A "$E2E_WORK/failed")" ] || fail "left behind: $(ls -A "$E2E_WORK/failed")"
echo "single file signed scenario passed"
