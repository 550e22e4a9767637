#!/usr/bin/env bash
# The release packages that tools/release wrote, as a packager meets them:
# the .deb extracted into a fresh root, the tar.gz unpacked in a temporary
# folder and setup-pack.exe from the zip under Wine each build the sample
# application, from another current folder and given no path option, into a
# package; the three packages are the same bytes, and each installs under
# Wine through setup.exe. Beside that: SHA256SUMS holds, the .deb declares
# its dependencies and apt resolves them, every program carries the project's
# version, build --json and bundle --json list what they wrote, and a tool
# whose Windows programs are missing names every place it looked.
. "$E2E_LIB"
. "$(dirname "$E2E_LIB")/package.sh"
version=$PROJECT_VERSION
deb=$RELEASE_DIR/setup-pack_${version}_amd64.deb
tgz=$RELEASE_DIR/setup-pack-$version-linux-x86_64.tar.gz
zip=$RELEASE_DIR/setup-pack-$version-windows.zip
for f in "$deb" "$tgz" "$zip" "$RELEASE_DIR/SHA256SUMS"; do
    [ -f "$f" ] || fail "no $f: tools/release writes it"
done
(cd "$RELEASE_DIR" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the packages"

echo "== the Debian package"
[ "$(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)" = "setup-pack $version" ] ||
    fail "the package says $(dpkg-deb -f "$deb" Package Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6 zlib1g; do
    grep -q "\b$needed\b" <<<"$depends" || fail "Depends does not name $needed: $depends"
done
apt-get install --simulate "$deb" > "$E2E_WORK/apt.txt" 2>&1 || fail "apt cannot install it: $(cat "$E2E_WORK/apt.txt")"
deb_root=$E2E_WORK/deb-root
dpkg-deb -x "$deb" "$deb_root"

echo "== the tar.gz and the zip"
mkdir "$E2E_WORK/tgz" "$E2E_WORK/zip"
tar -xzf "$tgz" -C "$E2E_WORK/tgz"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$E2E_WORK/zip"
tgz_root=$E2E_WORK/tgz/setup-pack-$version-linux-x86_64
zip_root=$E2E_WORK/zip/setup-pack-$version-windows
[ "$(ls "$zip_root" | tr '\n' ' ')" = "setup-launcher.exe setup-pack.exe setup.exe unzip32.dll " ] ||
    fail "the zip holds $(ls "$zip_root")"
for tool in "$deb_root/usr/bin/setup-pack" "$tgz_root/bin/setup-pack"; do
    [ "$("$tool" --version)" = "setup-pack $version" ] || fail "$tool --version says $("$tool" --version)"
done
# Windows would take a 32-bit "setup" program without a requested execution
# level for an installer and ask for elevation.
wrestool -x --raw --type=24 "$zip_root/setup-pack.exe" | grep -q 'level="asInvoker"' ||
    fail "setup-pack.exe does not ask to run as its caller"
for program in setup-pack.exe unzip32.dll setup-launcher.exe; do
    "$READ_IDENTITY" "$zip_root/$program" > "$E2E_WORK/identity.txt"
    for line in "040904B0:FileVersion=$version" "040904B0:ProductVersion=$version" "file-version=$version.0"; do
        grep -q "^$line" "$E2E_WORK/identity.txt" || fail "$program lacks $line: $(cat "$E2E_WORK/identity.txt")"
    done
done

app=$E2E_WORK/app
sample_app "$app"
mkdir "$E2E_WORK/elsewhere"
target_name="Release E2E $$"
options=(--name "Sample Writer 1.2" --message "This installs Sample Writer 1.2 on your computer."
         --target "$target_name" --exe writer.exe --autolaunch false --mtime 1700000000)

echo "== build with each, no path option"
cd "$E2E_WORK/elsewhere"
"$deb_root/usr/bin/setup-pack" build "$app" "$E2E_WORK/from deb" "${options[@]}" --json \
    > "$E2E_WORK/deb.json" 2> "$E2E_WORK/deb.txt" || fail "the .deb's setup-pack: $(cat "$E2E_WORK/deb.txt")"
"$tgz_root/bin/setup-pack" build "$app" "$E2E_WORK/from tgz" "${options[@]}" > "$E2E_WORK/tgz.txt" 2>&1 ||
    fail "the tar.gz's setup-pack: $(cat "$E2E_WORK/tgz.txt")"
"$WINE_RUN" "$zip_root/setup-pack.exe" build "$(winpath "$app")" "$(winpath "$E2E_WORK/from zip")" "${options[@]}" \
    > "$E2E_WORK/zip.txt" 2>&1 || fail "the zip's setup-pack.exe: $(cat "$E2E_WORK/zip.txt")"
grep -q "built and checked" "$E2E_WORK/deb.txt" || fail "build --json: no closing line on the error output"
python3 - "$E2E_WORK/deb.json" "$E2E_WORK/from deb" <<'PY' || fail "build --json: $(cat "$E2E_WORK/deb.json")"
import hashlib, json, os, sys
report = json.load(open(sys.argv[1]))
assert report["findings"] == [] and report["errors"] == 0, report
listed = {os.path.basename(f["file"]): f for f in report["written"]}
assert sorted(listed) == ["Setup.ini", "Setup.zip", "setup.exe", "unzip32.dll"], listed
for name, f in listed.items():
    data = open(os.path.join(sys.argv[2], name), "rb").read()
    assert f["size"] == len(data) and f["sha256"] == hashlib.sha256(data).hexdigest(), f
PY
# The launcher too comes from the installed layout.
"$deb_root/usr/bin/setup-pack" bundle "$E2E_WORK/from deb" "$E2E_WORK/Sample Writer Setup.exe" --json \
    > "$E2E_WORK/bundle.json" 2> "$E2E_WORK/bundle.txt" || fail "bundle: $(cat "$E2E_WORK/bundle.txt")"
python3 - "$E2E_WORK/bundle.json" "$E2E_WORK/Sample Writer Setup.exe" <<'PY' || fail "bundle --json: $(cat "$E2E_WORK/bundle.json")"
import hashlib, json, sys
written = json.load(open(sys.argv[1]))["written"]
data = open(sys.argv[2], "rb").read()
assert written == [{"file": sys.argv[2], "size": len(data), "sha256": hashlib.sha256(data).hexdigest()}], written
PY
for other in "from tgz" "from zip"; do
    diff -r "$E2E_WORK/from deb" "$E2E_WORK/$other" > "$E2E_WORK/diff.txt" ||
        fail "the packages differ ($other): $(cat "$E2E_WORK/diff.txt")"
done

echo "== each package installs under Wine"
dest="$(c_drive)/Program Files/$target_name"
for package in "from deb" "from tgz" "from zip"; do
    mkdir -p "$dest"  # no folder question
    install_without_start "$E2E_WORK/$package/setup.exe" || fail "the package $package did not install"
    diff -r "$app" "$dest" > "$E2E_WORK/diff.txt" || fail "installed from $package: $(head "$E2E_WORK/diff.txt")"
    rm -rf "$dest"
done

echo "== an installed tool without its Windows programs"
cp -r "$deb_root/usr" "$E2E_WORK/partial"
rm -r "$E2E_WORK/partial/share/setup-pack"
set +e
"$E2E_WORK/partial/bin/setup-pack" build "$app" "$E2E_WORK/none" "${options[@]}" > "$E2E_WORK/none.txt" 2>&1
code=$?
set -e
[ $code = 2 ] || fail "exit code $code: $(cat "$E2E_WORK/none.txt")"
for place in "$E2E_WORK/partial/bin/setup.exe" "$E2E_WORK/partial/share/setup-pack/win32/setup.exe"; do
    grep -qF "\"$place\"" "$E2E_WORK/none.txt" || fail "the message does not name $place: $(cat "$E2E_WORK/none.txt")"
done
[ ! -e "$E2E_WORK/none" ] || fail "a package was written without setup.exe"
echo "release: all passed"
