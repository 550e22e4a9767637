#!/usr/bin/env bash
# Safe start: libraries planted beside setup.exe under system names are never
# loaded, and setup.exe imports nothing but system libraries. The probe shows
# that the check can fail: without the restriction the planted version.dll is
# loaded from the program's folder.
. "$E2E_LIB"

planted=(version.dll uxtheme.dll dwmapi.dll)
# Wine would otherwise answer a load of these names with its own built-in
# library, even when the file found is the planted one. Preferring files on
# disk makes it behave as Windows does, where the planted code would run.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}version,uxtheme,dwmapi=n,b"

# Only kernel32 and the C runtime are imported directly: they are loaded
# before the program's first instruction, when the search is not yet
# restricted, and both always come from the system. Everything else is bound
# on first use.
imports=$("$OBJDUMP" -p "$SETUP_EXE" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
echo "setup.exe imports: $(echo $imports)"
if [ "$(echo $imports)" != "kernel32.dll msvcrt.dll" ]; then
    echo "setup.exe must import kernel32.dll and msvcrt.dll only"
    exit 1
fi

plant() {
    local dir=$1 dll
    for dll in "${planted[@]}"; do cp "$PLANTED_DIR/$dll" "$dir/$dll"; done
}
markers() { (cd "$1" && ls ./*.loaded 2>/dev/null) || true; }

# The probe without the restriction takes the planted version.dll: the check
# below can fail.
probe="$E2E_WORK/probe"
mkdir -p "$probe"
cp "$PROBE_EXE" "$probe/library_probe.exe"
plant "$probe"
out=$("$WINE_RUN" "$probe/library_probe.exe" open version.dll | tr -d '\r')
echo "open: $out"
case "$out" in
    "loaded Z:"*"probe\\version.dll") ;;
    *) echo "without the restriction the planted version.dll was expected to load"; exit 1 ;;
esac
[ -e "$probe/version.dll.loaded" ] || { echo "the planted library left no marker"; exit 1; }
rm -f "$probe"/*.loaded

# With the restriction the same load takes the system's.
for dll in "${planted[@]}"; do
    out=$("$WINE_RUN" "$probe/library_probe.exe" restricted "$dll" | tr -d '\r')
    echo "restricted: $out"
    case "$out" in
        *probe*) echo "the restricted search took the planted $dll"; exit 1 ;;
        "search not restricted"*) echo "the search could not be restricted"; exit 1 ;;
    esac
done
[ -z "$(markers "$probe")" ] || { echo "planted libraries loaded: $(markers "$probe")"; exit 1; }

# setup.exe beside the planted libraries opens its window and loads none of them.
pkg="$E2E_WORK/Downloads"
make_package "$pkg"
setup_ini "$pkg" "APPLICATION=Planted"
plant "$pkg"
drive "
start $(winpath "$pkg/setup.exe")
window frmSetup
expect-caption  Planted (Setup by Quenbrook)
key Tab
expect-focus 101
close
expect-exit 0
"
[ -z "$(markers "$pkg")" ] || { echo "setup.exe loaded planted libraries: $(markers "$pkg")"; exit 1; }
echo "safe start scenario passed"
