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

# Each folder's rank, as "folder rank" lines.
ranks="db 0
app 1
model 2
sim 3
nbal 4
workbench 4
params 4
climate 4
transfer 4
sqlmod 4
import 4
stats 5
reports 5
ui 6
programs 7"

bad=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if ! grep -q "^$folder " <<<"$ranks"; then
        echo "$folder/: folder has no place in the layer order"
        bad=1
    fi
done
# One grep and one awk over the whole tree: each include of another folder's header must
# name a folder of a lower rank.
if ! grep -rnE '^[[:space:]]*#include "[a-z_]+/' "$src" --include='*.h' --include='*.cpp' |
    awk -v src="$src/" -v ranks="$ranks" '
        BEGIN {
            n = split(ranks, lines, "\n")
            for (i = 1; i <= n; i++) if (split(lines[i], f, " ") == 2) rank[f[1]] = f[2]
            found = 0
        }
        {
            file = $0; sub(/:.*/, "", file)
            rest = substr($0, length(file) + 2)
            line = rest; sub(/:.*/, "", line)
            text = substr(rest, length(line) + 2)
            rel = substr(file, length(src) + 1)
            folder = rel; sub(/\/.*/, "", folder)
            target = text; sub(/^[^"]*"/, "", target); sub(/\/.*/, "", target)
            if (target == folder || !(folder in rank)) next
            if (!(target in rank) || rank[target] + 0 >= rank[folder] + 0) {
                printf "%s:%s: %s includes %s (%s)\n", rel, line, folder, target, text
                found = 1
            }
        }
        END { exit found }'; then
    bad=1
fi
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
