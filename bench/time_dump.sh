#!/usr/bin/env bash
# Times scenario-tool dump on the largest scenario: a stretch of 1000 metres
# of its plan geometry (20 MB), the whole plan geometry, and the whole route
# cells; reports the median time and the median peak memory of each.
#   bench/time_dump.sh [tool] [runs]
# tool: the built tool, by default build/release/scenario-tool;
# runs: timed runs of each (default 11).
# Needs build/bench/bench/max_scenario_descriptions
# (cmake --preset bench && cmake --build --preset bench).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

tool="$(realpath "${1:-build/release/scenario-tool}")"
runs="${2:-11}"
writer="build/bench/bench/max_scenario_descriptions"
require_built "$tool" "$writer"
make_work_folder dump

"$writer" "$work"
"$tool" compile --line "$work/max_line.txt" --train "$work/max_train.txt" --title Max --train-code "T 1" \
    --out "$work" >/dev/null
stat -c '  %s bytes  %n' "$work"/*.dat "$work"/*.sim

# One case: its label, then the dump's arguments. Output goes to /dev/null,
# so only decoding and formatting are timed; the peak memory (maximum
# resident set) comes from /usr/bin/time in the same run.
measure() {
    local label="$1"
    shift
    local times=() peaks=()
    for ((i = 0; i < runs; ++i)); do
        local start end
        start=${EPOCHREALTIME/./}
        /usr/bin/time -f '%M' -o "$work/peak" "$tool" dump "$@" >/dev/null
        end=${EPOCHREALTIME/./}
        times+=($((end - start)))
        peaks+=("$(tail -n 1 "$work/peak")")
    done
    local t p
    t=$(printf '%s\n' "${times[@]}" | median)
    p=$(printf '%s\n' "${peaks[@]}" | median)
    awk -v l="$label" -v t="$t" -v p="$p" 'BEGIN { printf "%-48s median %8.1f ms   peak memory %5.1f MiB\n", l, t / 1000, p / 1024 }'
}

echo "$runs runs of each:"
measure "dump --from 500000 --to 501000 (geometry)" "$work/Max_linea.dat" --from 500000 --to 501000
measure "dump --from 500km --to 501km --json (geometry)" "$work/Max_linea.dat" --from 500km --to 501km --json
measure "dump (whole geometry, text)" "$work/Max_linea.dat"
measure "dump --json (whole geometry)" "$work/Max_linea.dat" --json
measure "dump (whole route cells, text)" "$work/Max_T 1.dat"
