#!/bin/sh
# Writes a manual page from a program's own --help and --version, so that the
# page cannot drift from the options.
#
#   man_page.sh OUT INCLUDE DESCRIPTION PROGRAM [EMULATOR...]
#
# In a cross build the program runs under the emulator given after it.
set -eu
out=$1 include=$2 description=$3 program=$4
shift 4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# help2man names the page after the program it runs: a wrapper of that name.
wrapper="$dir/$(basename "$program")"
{
    echo '#!/bin/sh'
    printf 'exec'
    for word in "$@" "$program"; do printf " '%s'" "$word"; done
    echo ' "$@"'
} >"$wrapper"
chmod +x "$wrapper"
# The default card folder is shown as a user would read it, not as the build
# user's home.
HOME='~' XDG_DATA_HOME='' ASAN_OPTIONS=detect_leaks=0 \
    help2man --no-info --include="$include" --name="$description" \
    --output="$out.tmp" "$wrapper"
gzip -9 -n -c "$out.tmp" >"$out.gz"
mv "$out.tmp" "$out"
