#!/usr/bin/env bash
# Times scenario-tool package against compile on the largest scenario (a
# 1,000,000 m route), each package run paired with a compile run of the same
# folder; then the program packaged from `new --example` against the
# built-in program, each run paired with one of the other, from fresh
# folders. Reports the medians of the wall times and their ratios. The
# largest scenario has no diagnostic, so package writes the program.
#   bench/time_package.sh [build folder] [runs]
# build folder: holds scenario-tool and the program, by default build/release
#               (cmake --preset release && cmake --build --preset release);
# runs: paired runs of each pair (default 21).
# Needs build/bench/bench/max_scenario_descriptions
# (cmake --preset bench && cmake --build --preset bench).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

build="$(realpath "${1:-build/release}")"
runs="${2:-21}"
tool="$build/scenario-tool"
program="$build/Valcorvina_IC 318"
writer="build/bench/bench/max_scenario_descriptions"
require_built "$tool" "$program" "$writer"
make_work_folder package

# The largest scenario as a scenario folder, with three short documents.
"$writer" "$work"
mkdir "$work/max"
mv "$work/max_line.txt" "$work/max/Max_linea.txt"
mv "$work/max_train.txt" "$work/max/Max_T 1-.txt"
for document in note rallentamenti scheda_treno; do
    printf 'the %s of the largest scenario\r\n' "$document" >"$work/max/Max_T 1_$document.txt"
done

# The built-in scenario, packaged.
"$tool" new "$work/example" --example >/dev/null
"$tool" package "$work/example" --out "$work/packaged" >/dev/null

# Appends the wall time in microseconds of the command to the file $1; a
# command that fails stops the script.
timed() {
    local into="$1" start end
    shift
    start=${EPOCHREALTIME/./}
    "$@" >/dev/null
    end=${EPOCHREALTIME/./}
    echo "$((end - start))" >>"$into"
}

# Runs the program file $1 from a fresh folder $2 holding only a copy of it.
run_from() {
    mkdir "$2"
    cp "$1" "$2/"
    (cd "$2" && "./$(basename "$1")")
}

for i in $(seq 1 "$runs"); do
    round="$work/round$i"
    mkdir "$round"
    timed "$work/compile.times" "$tool" compile "$work/max" --out "$round/compiled"
    timed "$work/package.times" "$tool" package "$work/max" --out "$round/package"
    # The copies are made before the clock starts.
    mkdir "$round/built-in" "$round/packaged"
    cp "$program" "$round/built-in/"
    cp "$work/packaged/Valcorvina_IC 318" "$round/packaged/"
    timed "$work/built-in.times" sh -c 'cd "$1" && ./"Valcorvina_IC 318"' sh "$round/built-in"
    timed "$work/packaged.times" sh -c 'cd "$1" && ./"Valcorvina_IC 318"' sh "$round/packaged"
    if ! cmp -s "$round/built-in/Valcorvina_IC 318.sim" "$round/packaged/Valcorvina_IC 318.sim"; then
        echo "the packaged example wrote another scenario than the built-in program" >&2
        exit 1
    fi
    rm -rf "$round"
done

ms() { awk -v a="$1" 'BEGIN { printf "%8.2f ms", a / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
compile="$(median <"$work/compile.times")"
package="$(median <"$work/package.times")"
built_in="$(median <"$work/built-in.times")"
packaged="$(median <"$work/packaged.times")"
echo "medians of $runs paired runs (wall time):"
echo "  compile of the largest scenario: $(ms "$compile")"
echo "  package of it:                   $(ms "$package")  ($(ratio "$package" "$compile") x compile)"
echo "  the built-in program's run:      $(ms "$built_in")"
echo "  the packaged example's run:      $(ms "$packaged")  ($(ratio "$packaged" "$built_in") x the built-in one)"
