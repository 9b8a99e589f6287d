#!/usr/bin/env bash
# brisol-cli crypt on many small files in one folder, where each output's way
# to its name once listed the whole folder in search of leftovers: the time
# should grow with the number of files, not with its square. The folder is
# on a FUSE mount (bindfs) when the script runs as root with bindfs and
# /dev/fuse at hand, as a file system without unnamed files, else on the
# temporary folder's own. Reports wall seconds and seconds per thousand files
# for each count.
# Usage: bench/sweep_folder.sh [BUILD_DIR | BRISOL_CLI] [COUNT...]  (default 3000 6000)
set -euo pipefail

target=${1:-build}
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(3000 6000)
cli=$target
[ -d "$target" ] && cli=$target/brisol-cli
[ -x "$cli" ] || { echo "missing $cli: build first" >&2; exit 1; }
cli=$(realpath "$cli")

work=$(mktemp -d "${TMPDIR:-/tmp}/brisol-sweep.XXXXXX")
mounted=
cleanup() {
    [ -n "$mounted" ] && umount "$work/mount"
    rm -rf "$work"
}
trap cleanup EXIT
printf 'first sweep password\nsecond sweep password\n' >"$work/passwords"
mkdir "$work/files" "$work/mount"
folder=$work/files
kind="the temporary folder's file system"
if [ "$(id -u)" = 0 ] && [ -c /dev/fuse ] && command -v bindfs >"$work/bindfs" && bindfs "$work/files" "$work/mount"; then
    mounted=yes
    folder=$work/mount
    kind="a bindfs FUSE mount"
fi
echo "brisol-cli crypt -j1, one 1 KiB file each, all in one folder on $kind"
for count in "${counts[@]}"; do
    find "$folder" -mindepth 1 -delete
    head -c 1024 /dev/urandom >"$work/one"
    for ((i = 0; i < count; i++)); do cp "$work/one" "$folder/f$i"; done
    start=$(date +%s.%N)
    (cd "$folder" && "$cli" crypt -j1 --password-file "$work/passwords" f*)
    end=$(date +%s.%N)
    awk -v n="$count" -v s="$start" -v e="$end" \
        'BEGIN { printf "%6d files: %7.2f s, %5.2f s per 1000 files\n", n, e - s, (e - s) * 1000 / n }'
done
