#!/usr/bin/env bash
# The include check must fail, naming the file and line, on a copy of the tree
# into which a lower layer's file includes a screen.
set -u
check=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$src" "$work/src"
sed -i '2i #include "config/configuration_dlg.h"' "$work/src/hw/discovery.cpp"
out=$("$check" "$work/src"); rc=$?
[ $rc -ne 0 ] || { echo "FAIL: the bad include passed"; exit 1; }
expected='hw/discovery.cpp:2: hw/ may not include "config/configuration_dlg.h"'
case $out in *"$expected"*) echo "bad include caught: $out" ;; *) echo "FAIL: $out"; exit 1 ;; esac
