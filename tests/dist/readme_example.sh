#!/usr/bin/env bash
# Runs README.md's "Making a package" example as it is written there, then
# the single file made of it under "One file to download" and its signing
# under "Signing it" (offline, with a test certificate), so that this test
# fails when the README drifts from the tool.
#   readme_example.sh REPO
# The commands run in a folder of their own that looks like the checkout after
# tools/build (tools/test has built everything already): samples/, dist/native,
# dist/win32 and the sample's program are the real ones; tools/build does
# nothing there, and what the example writes goes below that folder's dist/.
set -euo pipefail
repo=$1
fail() { echo "FAIL: $*"; exit 1; }

# first_block HEADING: the first command block under the README's heading
# "## SECTION" or "### SECTION", before the next heading of its level.
first_block() {
    awk -v heading="$1" 'BEGIN { level = index(heading, " ") - 1 }
                         $0 == heading { section = 1; next }
                         section && /^#+ / && index($0, " ") - 1 <= level { exit }
                         section && /^```/ { if (block) exit; block = 1; next }
                         block { print }' "$repo/README.md"
}
example=$(first_block "## Making a package")
[ -n "$example" ] || fail "no command block under \"## Making a package\" in README.md"
grep -q 'setup-pack build' <<<"$example" || fail "the example builds no package: $example"
single_file=$(first_block "## One file to download")
grep -q 'setup-pack bundle' <<<"$single_file" || fail "no bundle under \"## One file to download\": $single_file"
signing=$(first_block "### Signing it")
grep -q 'sign-command' <<<"$signing" || fail "no sign command under \"### Signing it\": $signing"

work=$(mktemp -d /tmp/installer-readme.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tools" "$work/dist" "$work/build/win32/tests/e2e/apps"
printf '#!/bin/sh\n' > "$work/tools/build"
chmod +x "$work/tools/build"
ln -s "$repo/samples" "$work/samples"
ln -s "$repo/dist/native" "$work/dist/native"
ln -s "$repo/dist/win32" "$work/dist/win32"
ln -s "$repo/build/win32/tests/e2e/apps/marker.exe" "$work/build/win32/tests/e2e/apps/marker.exe"

(cd "$work" && bash -euo pipefail -c "$example" && bash -euo pipefail -c "$single_file") > "$work/said" 2>&1 ||
    fail "the example failed: $(cat "$work/said")"
(cd "$work" && bash -euo pipefail -c "$signing") > "$work/signed" 2>&1 ||
    fail "the signing example failed: $(cat "$work/signed")"
grep -q "written and signed" "$work/signed" || fail "nothing signed: $(cat "$work/signed")"
grep -q "built and checked" "$work/said" || fail "build did not check the package: $(cat "$work/said")"
grep -q "no problems found" "$work/said" || fail "check found problems: $(cat "$work/said")"
package=$(grep -o 'dist/[A-Za-z0-9_-]*' <<<"$(grep 'setup-pack check' <<<"$example")" | tail -1)
for f in Setup.ini Setup.zip setup.exe unzip32.dll; do
    [ -f "$work/$package/$f" ] || fail "no $f in $package"
done
single=$(grep -o 'dist/[A-Za-z0-9 _-]*\.exe' <<<"$single_file" | head -1)
grep -qF "single file $single written" "$work/said" || fail "no single file written: $(cat "$work/said")"
[ "$(python3 -c 'import sys, zipfile; print(len(zipfile.ZipFile(sys.argv[1]).namelist()))' "$work/$single")" = 4 ] ||
    fail "$single does not carry the package's four files"
echo "readme_example: passed"
