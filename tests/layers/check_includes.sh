#!/usr/bin/env bash
# Fails when a folder under SRC includes a header from a folder it may not use,
# or when a core file includes a widget header. Usage: check_includes.sh SRC
#
# The table is the layering of the program, lowest first; a folder may always
# include its own headers.
#
# The core is what velmira_core is built from (src/CMakeLists.txt and
# sim/sources.cmake) and every project header those files include, directly
# or not. It runs without widgets (velmira-config, the core tests), so none of
# its files may include a header of QtWidgets, nor a project header of the
# screens: one that velmira_gui lists or whose .cpp it lists.
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

# The files of one add_library(NAME ...) in src/CMakeLists.txt, one a line.
library_files() {
    sed -n "/^add_library($1 /,/)/p" "$src/CMakeLists.txt" |
        grep -E '^[[:space:]]+[a-z_]+/[A-Za-z0-9_./]+\.(cpp|h)[[:space:]]*$' | tr -d ' \t'
}

# "#include "x"" lines of a file as LINE:TARGET.
project_includes() {
    grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$1" |
        sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/'
}

declare -A core=() gui=()
while IFS= read -r f; do
    gui[$f]=1
    gui[${f%.cpp}.h]=1
done < <(library_files velmira_gui)
pending=()
while IFS= read -r f; do pending+=("$f"); done < <(
    library_files velmira_core
    sed -n 's|.*{CMAKE_CURRENT_LIST_DIR}/\([A-Za-z0-9_]*\.cpp\).*|sim/\1|p' "$src/sim/sources.cmake")
[ ${#pending[@]} -gt 10 ] || { echo "cannot read velmira_core's sources from $src"; exit 1; }
while [ ${#pending[@]} -gt 0 ]; do
    f=${pending[0]}
    pending=("${pending[@]:1}")
    # A screen's header is refused below, not walked into.
    [ -n "${core[$f]:-}" ] || [ -n "${gui[$f]:-}" ] || [ ! -f "$src/$f" ] && continue
    core[$f]=1
    while IFS=: read -r _ target; do
        [ -f "$src/$target" ] && [ -z "${core[$target]:-}" ] && pending+=("$target")
    done < <(project_includes "$src/$f")
done

# The headers of QtWidgets, by name (<QDialog>, <QtWidgets/QLabel>).
widgets_dir=$(ls -d /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets 2>/dev/null | head -1)
is_widget_header() {
    case $1 in QtWidgets | QtWidgets/*) return 0 ;; esac
    if [ -n "$widgets_dir" ]; then
        [ -f "$widgets_dir/$1" ]
    else
        case $1 in QWidget | QDialog | QApplication | QLabel | QPushButton | QMessageBox) return 0 ;; esac
        return 1
    fi
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
    if [ -n "${core[$rel]:-}" ]; then
        while IFS=: read -r line target; do
            is_widget_header "$target" || continue
            echo "$rel:$line: a core file may not include <$target> (widgets belong to velmira_gui)"
            status=1
        done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' "$file" |
            sed -E 's/^([0-9]+):[^<]*<([^>]+)>.*/\1:\2/')
    fi
    while IFS=: read -r line target; do
        if [ -n "${core[$rel]:-}" ] && [ -n "${gui[$target]:-}" ]; then
            echo "$rel:$line: a core file may not include \"$target\" (a file of the screens)"
            status=1
        fi
        case $target in */*) used=${target%%/*} ;; *) continue ;; esac
        [ "$used" = "$folder" ] && continue
        [ "$allowed" = "*" ] && continue
        case " $allowed " in *" $used "*) continue ;; esac
        echo "$rel:$line: $folder/ may not include \"$target\" (allowed: ${allowed:-its own folder only})"
        status=1
    done < <(project_includes "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
[ $status -eq 0 ] && echo "includes follow the layer table; the core includes no widget"
exit $status
