#!/usr/bin/env bash
# `cmake --install` of the build into a scratch root, then the tree's checks.
#   installed_tree_test.sh BUILD_DIR VERSION
set -u
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
DESTDIR=$scratch/root cmake --install "$build" --prefix /usr >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; echo "FAIL: cmake --install"; exit 1; }
exec "$here/check_tree.sh" "$scratch/root" "$version"
