#!/usr/bin/env bash
# Fails on every C++ file that clang-format, with the project's .clang-format,
# would change. Usage: format_check.sh ROOT
set -u
root=${1:?usage: format_check.sh ROOT}
command -v clang-format >/dev/null || { echo "FAIL: clang-format is not installed (scripts/deps installs it)"; exit 1; }
cd "$root" || exit 1
status=0
while IFS= read -r f; do
    if ! clang-format --dry-run -Werror --style=file "$f" >/dev/null 2>&1; then
        echo "$f: not formatted (clang-format -i $f)"
        status=1
    fi
done < <(find src tests benchmarks include -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
[ $status -eq 0 ] && echo "every file is formatted"
exit $status
