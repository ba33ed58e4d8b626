#!/usr/bin/env bash
# Fails when an include points up the layers, or sideways where the table forbids it, when a
# Qt-free folder includes Qt, or when a top-level source folder has no rank yet. A folder split
# into subfolders (the second table) is checked the same way inside: each subfolder includes only
# its own headers and those of lower-ranked subfolders of its folder, and every source of the
# folder lies in a ranked subfolder.
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
fleet       8     yes  service,sim,cli
app         9     yes  service,sim,cli
EOF
# subfolder             rank
read -r -d '' SUBLAYERS <<'EOF' || true
actions/common          0
actions/status          1
actions/reboot_restore  1
actions/config          1
actions/upgrade         1
actions/doctor          1
actions/bridge          2
actions/settings        2
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

declare -A subrank split
while read -r sub r; do
    [[ -z "$sub" ]] && continue
    subrank[$sub]=$r
    split[${sub%%/*}]=yes
done <<<"$SUBLAYERS"

failures=0
fail() {
    echo "check_layers: $*" >&2
    failures=$((failures + 1))
}

# The subfolder of a path inside a split folder ("actions/config/x.h" -> "actions/config").
subfolder_of() {
    local rest=${1#*/}
    if [[ $rest == */* ]]; then echo "${1%%/*}/${rest%%/*}"; fi
}

# An include inside a split folder: from a ranked subfolder to its own, or to a lower rank.
check_subfolders() {
    local dir=$1 file=$2 line=$3 target=$4 from to
    from=$(subfolder_of "$file")
    to=$(subfolder_of "$target")
    [[ -z "$from" || -z "${subrank[$from]:-}" ]] && return  # the file itself is reported
    if [[ -z "$to" || -z "${subrank[$to]:-}" ]]; then
        fail "$file:$line: \"$target\" is in no subfolder of $dir/ in the table"
    elif [[ $to != "$from" ]] && ((subrank[$to] >= subrank[$from])); then
        fail "$file:$line: $from/ (rank ${subrank[$from]}) includes \"$target\" of $to/ (rank ${subrank[$to]})"
    fi
    return 0
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
    if [[ -n "${split[$dir]:-}" ]]; then
        while read -r file; do
            sub=$(subfolder_of "$file")
            if [[ -z "$sub" || -z "${subrank[$sub]:-}" ]]; then
                fail "$file lies in no subfolder of $dir/ in the table; add its subfolder to tools/check_layers.sh"
            fi
        done < <(find "$dir" \( -name '*.cpp' -o -name '*.h' \) | sort)
    fi
    # Every quoted include with a folder, and every Qt include, as "file:line:target".
    while IFS=: read -r file line target; do
        if [[ $target == Q* ]]; then
            [[ ${qt[$dir]} == no ]] && fail "$file:$line: Qt-free $dir/ includes <$target>"
            continue
        fi
        to=${target%%/*}
        if [[ $to == "$dir" ]]; then
            [[ -n "${split[$dir]:-}" ]] && check_subfolders "$dir" "$file" "$line" "$target"
            continue
        fi
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
