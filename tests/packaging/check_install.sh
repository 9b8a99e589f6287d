#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks the tree.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
"$(dirname "$0")/check_tree.sh" "$root"
