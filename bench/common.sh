# Sourced by the benchmark scripts: the checkout's root, the work folder
# build/bench, the number of runs (RUNS, default 3), and the release tree
# configured through its preset.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$root/build/bench
mkdir -p "$work"
runs=${RUNS:-3}
cmake --preset native >/dev/null

# bench_scratch: sets $scratch, where every run extracts into a folder of its
# own, and $scratch_kind, which says what it is. Nothing there is deleted
# before the last run: creating files right after deleting as many makes the
# kernel hunt for free inodes and slows every tool, for minutes. Where it can
# (root, mkfs.ext4, a loop device) it is a journaled ext4 image made for this
# run of the script and dropped whole at its end, so that the next run of a
# benchmark does not meet the deletions of this one either. bench_scratch_drop
# (called on exit) removes it.
bench_scratch() {
    scratch=$work/runs
    image=$work/runs.img
    trap bench_scratch_drop EXIT
    bench_scratch_drop
    mkdir -p "$scratch"
    if [ "$(id -u)" -eq 0 ] && command -v mkfs.ext4 >/dev/null && truncate -s 32G "$image" &&
        mkfs.ext4 -q -F "$image" && mount -o loop "$image" "$scratch" 2>/dev/null; then
        scratch_kind="a journaled ext4 image made for this run"
    else
        rm -f "$image"
        scratch_kind="fresh folders of $scratch"
    fi
}
bench_scratch_drop() {
    if mountpoint -q "$scratch"; then umount "$scratch"; fi
    rm -rf "$scratch" "$image"
}
