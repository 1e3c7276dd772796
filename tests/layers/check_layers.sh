#!/usr/bin/env bash
# Checks that every folder under a source tree includes only headers of its own
# folder or of the folders below it. Prints each include against the order and
# exits 1 when there is one.
#
#   check_layers.sh SRC_DIR
#
# The order, lowest first; folders on one line share a rank and may not include
# each other: db < app < model < sim < nbal, workbench, params, climate, transfer,
# sqlmod, import < stats, reports < ui < programs
set -uo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}

rank() {
    case $1 in
    db) echo 0 ;;
    app) echo 1 ;;
    model) echo 2 ;;
    sim) echo 3 ;;
    nbal | workbench | params | climate | transfer | sqlmod | import) echo 4 ;;
    stats | reports) echo 5 ;;
    ui) echo 6 ;;
    programs) echo 7 ;;
    *) echo -1 ;;
    esac
}

bad=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    own=$(rank "$folder")
    if [ "$own" -lt 0 ]; then
        echo "$folder/: folder has no place in the layer order"
        bad=1
        continue
    fi
    while IFS=: read -r file line text; do
        target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
        [ "$target" = "$folder" ] && continue
        theirs=$(rank "$target")
        if [ "$theirs" -lt 0 ] || [ "$theirs" -ge "$own" ]; then
            echo "${file#"$src"/}:$line: $folder includes $target ($text)"
            bad=1
        fi
    done < <(grep -rnE '^[[:space:]]*#include "[a-z_]+/' "$dir" --include='*.h' --include='*.cpp')
done
# The model core computes on plain values: of the database layer it may use only the value
# and text helpers, and it knows neither SQLite nor Qt.
if [ -d "$src/model" ]; then
    while IFS=: read -r file line text; do
        echo "${file#"$src"/}:$line: the model core includes $text"
        bad=1
    done < <(grep -rnE '^[[:space:]]*#include ([<"](Q|sqlite3)|"db/)' "$src/model" \
        --include='*.h' --include='*.cpp' | grep -vE '"db/(value|text)\.h"')
fi
exit $bad
