# Shared by the end-to-end scenarios. Expects from ctest:
#   SETUP_EXE  the built setup.exe        UIDRIVER  the built uidriver.exe
#   WINE_RUN   tools/wine-run
set -euo pipefail

E2E_WORK=$(mktemp -d /tmp/installer-e2e.XXXXXX)

# Run alone (ctest outside tools/test), the scenario brings up its own display
# and Wine server first, with their output away from any pipe it reads: a
# server started inside $(...) would keep that pipe open.
E2E_REPO=$(cd "$(dirname "$WINE_RUN")/.." && pwd)
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
    . "$E2E_REPO/tools/wine-env"
    wine_env_start "${WINEPREFIX:-$E2E_REPO/build/wine}" >/dev/null 2>&1 </dev/null
    E2E_OWN_WINE=1
fi
# Scenarios that need more cleaning up call this from their own trap.
e2e_cleanup() {
    [ -z "${E2E_OWN_WINE:-}" ] || wine_env_stop
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

# The Windows name of a path on this machine (Wine's Z: drive).
winpath() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }

# make_package DIR: a package folder holding setup.exe.
make_package() {
    mkdir -p "$1"
    cp "$SETUP_EXE" "$1/setup.exe"
}

# setup_ini DIR LINE...: writes Setup.ini with CR LF line ends.
setup_ini() {
    local dir=$1; shift
    : > "$dir/Setup.ini"
    local line
    for line in "$@"; do printf '%s\r\n' "$line" >> "$dir/Setup.ini"; done
}

# drive SCRIPT_TEXT: runs the automation driver over the script text.
drive() {
    local script="$E2E_WORK/script.$RANDOM.txt"
    printf '%s\n' "$1" > "$script"
    "$WINE_RUN" "$UIDRIVER" "$(winpath "$script")"
}
