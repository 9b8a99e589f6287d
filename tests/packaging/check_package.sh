#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and checks the
# tree, and that dpkg-shlibdeps computed the library dependencies.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$1
(cd "$build" && cpack >/dev/null)
deb=$(ls -t "$build"/package/brisol_*.deb | head -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
"$(dirname "$0")/check_tree.sh" "$root"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6widgets6; do
    grep -q "$lib" <<<"$depends" || { echo "Depends lacks $lib: $depends"; exit 1; }
done
echo "package $(basename "$deb") is complete"
