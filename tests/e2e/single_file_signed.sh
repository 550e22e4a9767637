#!/usr/bin/env bash
# The single-file installer, branded with the publisher's icon and version
# information and signed by setup-pack's --sign-command with osslsigncode and
# a self-signed certificate made here: Windows' own functions and pefile read
# the identity back, the signatures of setup.exe and unzip32.dll inside the
# payload and of the single file verify, the signature covers the payload, a
# rebuild at another time and in another zone gives the same signed bytes
# (a fixed signing time), the file without its signature is the unsigned
# bundle of the package, the signed file still installs, and a failing sign
# command leaves nothing behind. osslsigncode is a Linux program, so the
# native setup-pack (dist/native, made by tools/build) runs it.
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
sign_with() {  # KEY: the sign command with that key, signing at a fixed time
    printf "osslsigncode sign -certs '%s' -key '%s' -n 'Sample Writer' -time 1700000000 -in {in} -out {out}" \
        "$E2E_WORK/cert.pem" "$1"
}
sample_app "$E2E_WORK/app"
convert -size 256x256 xc:'#1E90FF' -define icon:auto-resize=256,48,32,16 "$E2E_WORK/publisher.ico"
identity=(--icon "$E2E_WORK/publisher.ico" --product-version 3.1.4 --company "Sample & Sons"
          --copyright "© 2026 Sample & Sons")
build() {  # OUTDIR SINGLE_FILE KEY [ZONE]
    SOURCE_DATE_EPOCH=1700000000 TZ=${4:-UTC0} "$NATIVE_SETUP_PACK" build "$E2E_WORK/app" "$1" --name "Sample Writer" \
        --target "$target_name" --exe writer.exe --autolaunch true --setup-exe "$SETUP_EXE" --unzip-dll "$UNZIP32_DLL" \
        --launcher "$LAUNCHER_EXE" --single-file "$2" --sign-command "$(sign_with "$3")" "${identity[@]}"
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

echo "== the identity, read by Windows and by pefile"
"$WINE_RUN" "$IDENTITY_READ_EXE" "$(winpath "$signed")" | tr -d '\r' > "$E2E_WORK/identity.txt"
expected="CompanyName=Sample & Sons
FileDescription=Sample Writer Setup
FileVersion=3.1.4
InternalName=Sample Writer Setup
LegalCopyright=© 2026 Sample & Sons
OriginalFilename=Sample Writer Setup.exe
ProductName=Sample Writer
ProductVersion=3.1.4
FixedFileVersion=3.1.4.0
Icons=1
LargeIcon=32x32 1E90FF
SmallIcon=16x16 1E90FF"
[ "$(cat "$E2E_WORK/identity.txt")" = "$expected" ] || fail "Windows reads: $(cat "$E2E_WORK/identity.txt")"
"$READ_IDENTITY" "$signed" > "$E2E_WORK/pefile.txt"
for line in "040904B0:ProductName=Sample Writer" "manifest-description=Sample Writer Setup" \
            "icon-group-1=256x256/32 48x48/32 32x32/32 16x16/32" "checksum=right" \
            "$(grep '^relocations=' <("$READ_IDENTITY" "$LAUNCHER_EXE"))"; do
    grep -qxF "$line" "$E2E_WORK/pefile.txt" || fail "pefile does not read $line: $(head -20 "$E2E_WORK/pefile.txt" | cut -c1-100)"
done
wrestool -x --raw -t 24 "$signed" | grep requireAdministrator > /dev/null || fail "the manifest lost its elevation"

echo "== rebuilt at another time and in another zone"
sleep 2   # the MS-DOS time fields count every two seconds
mkdir "$E2E_WORK/again"
build "$E2E_WORK/again/package" "$E2E_WORK/again/Sample Writer Setup.exe" "$E2E_WORK/key.pem" NPT-5:45 \
    > "$E2E_WORK/again.txt" 2>&1 || { cat "$E2E_WORK/again.txt"; fail "the rebuild failed"; }
cmp "$signed" "$E2E_WORK/again/Sample Writer Setup.exe" || fail "the rebuild differs"
osslsigncode remove-signature -in "$signed" -out "$E2E_WORK/stripped.exe" > /dev/null
mkdir "$E2E_WORK/unsigned"
"$NATIVE_SETUP_PACK" bundle "$E2E_WORK/package" "$E2E_WORK/unsigned/Sample Writer Setup.exe" \
    --launcher "$LAUNCHER_EXE" "${identity[@]}" > /dev/null
cmp "$E2E_WORK/stripped.exe" "$E2E_WORK/unsigned/Sample Writer Setup.exe" ||
    fail "without its signature the file is not the unsigned bundle of its package"

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
