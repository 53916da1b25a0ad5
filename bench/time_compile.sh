#!/usr/bin/env bash
# Times scenario-tool compile of the largest scenario (a 1,000,000 m route,
# 20 MB of plan geometry) against a plain copy of the three files it writes,
# each run paired with a copy, from fresh folders; and scenario-tool check of
# the same descriptions (which writes nothing) in the same rounds. Given a
# second tool, runs it in the same rounds, so that two builds are compared
# under one load.
# Reports the medians of the wall time and of the processor time (user +
# system) of each, their ratios to the copy, and the peak memory of one more
# compile with each tool.
#   bench/time_compile.sh [tool] [runs] [other tool]
# tool: the built tool, by default build/release/scenario-tool;
# runs: paired runs (default 21).
# Needs build/bench/bench/max_scenario_descriptions
# (cmake --preset bench && cmake --build --preset bench).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

tools=("$(realpath "${1:-build/release/scenario-tool}")")
runs="${2:-21}"
if [ -n "${3:-}" ]; then tools+=("$(realpath "$3")"); fi
writer="build/bench/bench/max_scenario_descriptions"
require_built "${tools[@]}" "$writer"
make_work_folder compile

"$writer" "$work"
compile() {
    "$1" compile --line "$work/max_line.txt" --train "$work/max_train.txt" --title Max --train-code "T 1" \
        --out "$2" >/dev/null
}
check() {
    "$1" check --line "$work/max_line.txt" --train "$work/max_train.txt" --title Max --train-code "T 1" >/dev/null
}
mkdir "$work/written"
compile "${tools[0]}" "$work/written"

# Appends "wall cpu" in microseconds for the command to the file $1.
TIMEFORMAT='%3U %3S'
timed() {
    local into="$1" start end
    shift
    start=${EPOCHREALTIME/./}
    { time "$@" >/dev/null; } 2>"$work/cpu"
    end=${EPOCHREALTIME/./}
    echo "$((end - start)) $(tail -n 1 "$work/cpu" | awk '{ printf "%d", ($1 + $2) * 1000000 }')" >>"$into"
}

for i in $(seq 1 "$runs"); do
    target="$work/run$i"
    mkdir "$target" "$target/copy"
    timed "$work/copy.times" cp "$work/written/"* "$target/copy/"
    for t in "${!tools[@]}"; do
        mkdir "$target/compile$t"
        timed "$work/compile$t.times" compile "${tools[$t]}" "$target/compile$t"
        timed "$work/check$t.times" check "${tools[$t]}"
    done
    rm -rf "$target"
done

column_median() { cut -d' ' -f"$2" "$1" | median; }
ms() { awk -v a="$1" 'BEGIN { printf "%7.2f ms", a / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
copy_wall="$(column_median "$work/copy.times" 1)"
copy_cpu="$(column_median "$work/copy.times" 2)"
echo "medians of $runs paired runs (wall, processor time):"
echo "  copy of the three files: $(ms "$copy_wall")  $(ms "$copy_cpu")"
for t in "${!tools[@]}"; do
    wall="$(column_median "$work/compile$t.times" 1)"
    cpu="$(column_median "$work/compile$t.times" 2)"
    mkdir "$work/peak$t"
    peak="$(/usr/bin/time -f '%M' "${tools[$t]}" compile --line "$work/max_line.txt" --train "$work/max_train.txt" \
        --title Max --train-code "T 1" --out "$work/peak$t" 2>&1 >/dev/null | tail -n 1)"
    check_wall="$(column_median "$work/check$t.times" 1)"
    check_cpu="$(column_median "$work/check$t.times" 2)"
    echo "  compile with ${tools[$t]}:"
    echo "                           $(ms "$wall")  $(ms "$cpu")  ($(ratio "$wall" "$copy_wall") x the copy's wall time," \
        "$(ratio "$cpu" "$copy_cpu") x its processor time; peak memory $(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }') MiB)"
    echo "  check with the same:     $(ms "$check_wall")  $(ms "$check_cpu")  ($(ratio "$check_wall" "$copy_wall") x the" \
        "copy's wall time, $(ratio "$check_cpu" "$copy_cpu") x its processor time)"
done
