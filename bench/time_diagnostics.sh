#!/usr/bin/env bash
# Times scenario-tool compile and check on the largest scenario against a
# plain copy of the three files compile writes, each run paired with a copy
# and alternating, from fresh folders; and check of the same descriptions
# with 20 errors against a clean check. Reports medians.
#   bench/time_diagnostics.sh [tool] [runs]
# tool: the built tool, by default build/release/scenario-tool;
# runs: paired runs of each (default 21).
# Needs build/bench/bench/max_scenario_descriptions
# (cmake --preset bench && cmake --build --preset bench).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

tool="$(realpath "${1:-build/release/scenario-tool}")"
runs="${2:-21}"
writer="build/bench/bench/max_scenario_descriptions"
require_built "$tool" "$writer"
make_work_folder diagnostics

"$writer" "$work"
line="$work/max_line.txt"
train="$work/max_train.txt"
mkdir "$work/written"
"$tool" compile --line "$line" --train "$train" --title Max --train-code "T 1" --out "$work/written" >/dev/null

# The same train with each of its first 20 signals written twice: each
# second one finds its cell taken and stops the reading, so finding them all
# reads the descriptions 20 times more.
broken="$work/broken_train.txt"
awk '{ print } /^segnale/ && n < 20 { print; n++ }' "$train" >"$broken"
errors="$("$tool" check --line "$line" --train "$broken" 2>&1 | tail -n 1 || true)"
echo "  the broken train: $errors"

copy_times=()
compile_times=()
check_times=()
broken_times=()
for i in $(seq 1 "$runs"); do
    target="$work/run$i"
    mkdir "$target" "$target/copy" "$target/compile"
    start=${EPOCHREALTIME/./}
    cp "$work/written/"* "$target/copy/"
    copy_times+=($((${EPOCHREALTIME/./} - start)))
    start=${EPOCHREALTIME/./}
    "$tool" compile --line "$line" --train "$train" --title Max --train-code "T 1" --out "$target/compile" >/dev/null
    compile_times+=($((${EPOCHREALTIME/./} - start)))
    start=${EPOCHREALTIME/./}
    "$tool" check --line "$line" --train "$train" >/dev/null
    check_times+=($((${EPOCHREALTIME/./} - start)))
    start=${EPOCHREALTIME/./}
    "$tool" check --line "$line" --train "$broken" >/dev/null 2>&1 || true
    broken_times+=($((${EPOCHREALTIME/./} - start)))
    rm -rf "$target"
done

copy="$(printf '%s\n' "${copy_times[@]}" | median)"
compile="$(printf '%s\n' "${compile_times[@]}" | median)"
check="$(printf '%s\n' "${check_times[@]}" | median)"
broken_check="$(printf '%s\n' "${broken_times[@]}" | median)"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ms() { awk -v a="$1" 'BEGIN { printf "%.2f ms", a / 1000 }'; }
echo "medians of $runs runs:"
echo "  copy of the three files:  $(ms "$copy")"
echo "  compile:                  $(ms "$compile")  ($(ratio "$compile" "$copy") x the copy)"
echo "  check:                    $(ms "$check")  ($(ratio "$check" "$copy") x the copy)"
echo "  check with 20 errors:     $(ms "$broken_check")  ($(ratio "$broken_check" "$check") x a clean check)"
