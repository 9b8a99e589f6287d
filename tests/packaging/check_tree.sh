#!/usr/bin/env bash
# Checks an installed tree (a DESTDIR or an unpacked package): every file in
# the expected list is there, and the desktop entry, AppStream metadata, MIME
# type and man page pass their validators.
# Usage: check_tree.sh ROOT
set -euo pipefail
root=$1
here=$(dirname "$0")
fail=0

while read -r path; do
    [ -e "$root/$path" ] || { echo "missing: /$path"; fail=1; }
done < "$here/installed_files.txt"
[ $fail -eq 0 ] || exit 1

share=$root/usr/share
desktop=$share/applications/org.brisol.Brisol.desktop
desktop-file-validate "$desktop"
# "Open with" and a double-click on a .bsl file hand the file to the window.
grep -qx 'Exec=brisol %f' "$desktop"
grep -qx 'MimeType=application/x-brisol-encrypted;' "$desktop"
appstreamcli validate --no-net --explain "$share/metainfo/org.brisol.Brisol.metainfo.xml"

warnings=$(man --warnings -l "$share/man/man1/brisol-cli.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man page warnings:"; echo "$warnings"; exit 1; }

# update-mime-database rejects a malformed type definition.
mime=$(mktemp -d)
trap 'rm -rf "$mime"' EXIT
mkdir -p "$mime/packages"
cp "$share/mime/packages/org.brisol.Brisol.xml" "$mime/packages/"
update-mime-database "$mime" >/dev/null
grep -q 'application/x-brisol-encrypted' "$mime/globs2"
grep -q '\*\.bsl' "$mime/globs2"

for png in "$share"/icons/hicolor/*x*/apps/org.brisol.Brisol.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    # A PNG's width and height are big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -j16 -N8 -tx1 "$png" | tr -d ' ' | sed -E 's/(.{8})(.{8})/0x\1 0x\2/')
    actual="$((w))x$((h))"
    [ "$actual" = "$size" ] || { echo "$png is $actual, expected $size"; exit 1; }
done
echo "installed tree is complete and valid"
