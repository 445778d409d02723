#!/usr/bin/env bash
# Fails when a folder under SRC includes a header from a folder it may not use.
# The table is the layering of the program, lowest first; a folder may always
# include its own headers. Usage: check_includes.sh SRC
set -u
src=${1:?usage: check_includes.sh SRC}

allowed_for() {
    case $1 in
        platform) echo "" ;;
        hw) echo "platform velmira" ;;  # velmira/: the public C interface
        sim) echo "hw platform" ;;
        settings) echo "hw platform" ;;
        state | tool) echo "settings hw platform" ;;
        ui) echo "state settings hw platform" ;;
        config | basic | advanced) echo "ui state settings hw platform" ;;
        app) echo "*" ;;
        *) return 1 ;;
    esac
}

status=0
while IFS= read -r file; do
    rel=${file#"$src"/}
    folder=${rel%%/*}
    if [ "$folder" = "$rel" ]; then continue; fi  # files at the top, such as CMakeLists
    if ! allowed=$(allowed_for "$folder"); then
        echo "$rel: folder \"$folder\" is not in the layer table"
        status=1
        continue
    fi
    while IFS=: read -r line target; do
        case $target in */*) used=${target%%/*} ;; *) continue ;; esac
        [ "$used" = "$folder" ] && continue
        [ "$allowed" = "*" ] && continue
        case " $allowed " in *" $used "*) continue ;; esac
        echo "$rel:$line: $folder/ may not include \"$target\" (allowed: ${allowed:-its own folder only})"
        status=1
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file" |
        sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
[ $status -eq 0 ] && echo "includes follow the layer table"
exit $status
