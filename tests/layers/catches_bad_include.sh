#!/usr/bin/env bash
# The include check must fail, naming the file and line, on a copy of the tree
# into which a bad include was planted: a lower layer's file including a
# screen, and core files including a widget header, a header of QtWidgets
# or a widget file of platform/ (allowed by the layer table, refused as gui).
# Usage: catches_bad_include.sh CHECK SRC
set -u
check=$1 src=$2
status=0
while IFS='|' read -r file include expected; do
    work=$(mktemp -d)
    cp -r "$src" "$work/src"
    sed -i "2i #include $include" "$work/src/$file"
    out=$("$check" "$work/src"); rc=$?
    rm -rf "$work"
    if [ $rc -eq 0 ]; then
        echo "FAIL: $include in $file passed"; status=1
    elif [[ $out != *"$file:2: $expected"* ]]; then
        echo "FAIL: $include in $file: $out"; status=1
    else
        echo "caught: $include in $file"
    fi
done <<'EOF'
hw/discovery.cpp|"config/configuration_dlg.h"|hw/ may not include "config/configuration_dlg.h"
settings/settings_file.cpp|<QDialog>|a core file may not include <QDialog>
hw/motion_library.h|<QtWidgets/QLabel>|a core file may not include <QtWidgets/QLabel>
platform/card_files.cpp|"platform/dialog.h"|a core file may not include "platform/dialog.h"
EOF
exit $status
