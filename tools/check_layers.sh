#!/usr/bin/env bash
# Fails when an include points up the layers, or sideways where the table forbids it, when a
# Qt-free folder includes Qt, or when a top-level source folder has no rank yet.
# Usage: tools/check_layers.sh [source root]   (default: this checkout)
#
# A folder may include its own headers and those of folders of a lower rank, minus the folders
# its "never" column names. A folder with the same rank is a sibling and is never included.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"

# folder    rank  Qt   never includes
read -r -d '' LAYERS <<'EOF' || true
platform    0     no   -
lang        1     no   -
protocol    1     no   -
service     2     no   lang
store       2     no   service
sim         2     no   lang,service
engine      3     no   service,sim
inventory   4     no   service,sim
actions     5     no   sim
cli         6     no   sim
ui          6     yes  protocol,service,store,sim,engine,inventory,actions
pages       7     yes  service,sim,cli
config      8     yes  service,sim,cli
bridge      8     yes  service,sim,cli
upgrade     8     yes  sim,cli
app         9     yes  service,sim,cli
EOF
# Top-level folders that hold no layer: tests, benchmarks, scripts and the build trees.
NOT_LAYERS="tests bench tools cmake resources"

declare -A rank qt never
while read -r folder r q n; do
    [[ -z "$folder" ]] && continue
    rank[$folder]=$r
    qt[$folder]=$q
    never[$folder]=",$n,"
done <<<"$LAYERS"

failures=0
fail() {
    echo "check_layers: $*" >&2
    failures=$((failures + 1))
}

cd "$root"
for dir in */; do
    dir=${dir%/}
    [[ " $NOT_LAYERS " == *" $dir "* || $dir == build* ]] && continue
    if [[ -z "${rank[$dir]:-}" ]]; then
        if [[ -n $(find "$dir" \( -name '*.cpp' -o -name '*.h' \) -print -quit) ]]; then
            fail "$dir/ holds sources but has no rank; add it to the table in tools/check_layers.sh"
        fi
        continue
    fi
    # Every quoted include with a folder, and every Qt include, as "file:line:target".
    while IFS=: read -r file line target; do
        if [[ $target == Q* ]]; then
            [[ ${qt[$dir]} == no ]] && fail "$file:$line: Qt-free $dir/ includes <$target>"
            continue
        fi
        to=${target%%/*}
        [[ $to == "$dir" ]] && continue
        if [[ -z "${rank[$to]:-}" ]]; then
            fail "$file:$line: \"$target\" is outside the source folders"
        elif (( rank[$to] >= rank[$dir] )); then
            fail "$file:$line: $dir/ (rank ${rank[$dir]}) includes \"$target\" of $to/ (rank ${rank[$to]})"
        elif [[ ${never[$dir]} == *",$to,"* ]]; then
            fail "$file:$line: $dir/ never includes $to/ (\"$target\")"
        fi
    done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*("[^"]*/[^"]*"|<Q[A-Za-z]*>)' "$dir" |
             sed -E 's/^([^:]*):([0-9]+):.*include[[:space:]]*["<]([^">]*)[">].*/\1:\2:\3/')
done

if ((failures > 0)); then
    echo "check_layers: $failures problem(s); the layer table is at the top of tools/check_layers.sh" >&2
    exit 1
fi
echo "check_layers: includes follow the layers"
