#!/usr/bin/env bash
# Times whole runs of the program against copying the six files it leaves
# (cp), in the same measurement, and reports the medians, their ratio and the
# peak memory of each.
#   bench/time_program_run.sh [program] [runs]
# program: the built program, by default build/release/"Valcorvina_IC 318"
#          (cmake --preset release && cmake --build --preset release);
# runs:    timed runs of each, at least 10 (default 21).
# The work folders go under $COMPACTOR_BENCH_DIR, else $TMPDIR or /tmp.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

program="${1:-build/release/Valcorvina_IC 318}"
runs="${2:-21}"
if [ ! -x "$program" ]; then
    echo "no program at '$program'; build it first (cmake --preset release && cmake --build --preset release)" >&2
    exit 2
fi
if [ "$runs" -lt 10 ]; then
    echo "at least 10 runs" >&2
    exit 2
fi
program="$(realpath "$program")"
name="$(basename "$program")"
make_work_folder "program run"

# A folder holding only a copy of the program, as the program expects to run.
fresh_program_folder() {
    rm -rf "$1"
    mkdir -p "$1"
    cp "$program" "$1/"
}

# One reference run gives the six files that cp copies.
fresh_program_folder "$work/reference"
(cd "$work/reference" && "./$name" >/dev/null)
outputs=()
while IFS= read -r -d '' file; do
    outputs+=("$file")
done < <(find "$work/reference" -maxdepth 1 -type f ! -name "$name" -print0 | sort -z)
if [ "${#outputs[@]}" -ne 6 ]; then
    echo "the program left ${#outputs[@]} files, not 6:" >&2
    ls -la "$work/reference" >&2
    exit 1
fi
output_bytes=$(cat "${outputs[@]}" | wc -c)

program_times=()
copy_times=()
for ((i = 0; i < runs; ++i)); do
    # Alternate the two so that any drift of the machine touches both alike;
    # only the run itself and the cp itself are inside the timing.
    fresh_program_folder "$work/run"
    cd "$work/run"
    start=${EPOCHREALTIME/./}
    "./$name" >/dev/null
    end=${EPOCHREALTIME/./}
    cd - >/dev/null
    program_times+=($((end - start)))
    if [ "$(find "$work/run" -maxdepth 1 -type f | wc -l)" -ne 7 ]; then
        echo "run $i did not leave the program and its six files" >&2
        exit 1
    fi

    rm -rf "$work/copy"
    mkdir "$work/copy"
    start=${EPOCHREALTIME/./}
    cp "${outputs[@]}" "$work/copy/"
    end=${EPOCHREALTIME/./}
    copy_times+=($((end - start)))
done

program_median=$(printf '%s\n' "${program_times[@]}" | median)
copy_median=$(printf '%s\n' "${copy_times[@]}" | median)

# Peak memory (maximum resident set) of one more run of each.
fresh_program_folder "$work/run"
program_peak=$(cd "$work/run" && /usr/bin/time -f '%M' "./$name" 2>&1 >/dev/null | tail -n 1)
rm -rf "$work/copy"
mkdir "$work/copy"
copy_peak=$(/usr/bin/time -f '%M' cp "${outputs[@]}" "$work/copy/" 2>&1 | tail -n 1)

awk -v runs="$runs" -v bytes="$output_bytes" -v p="$program_median" -v c="$copy_median" \
    -v pp="$program_peak" -v cp="$copy_peak" 'BEGIN {
    printf "six output files, %d bytes; %d timed runs of each, alternating\n", bytes, runs
    printf "program run  median %8.2f ms   peak memory %6.1f MiB (target below 16 MiB: %s)\n", p / 1000, pp / 1024, (pp < 16 * 1024) ? "met" : "MISSED"
    printf "cp           median %8.2f ms   peak memory %6.1f MiB\n", c / 1000, cp / 1024
    printf "ratio program / cp  %.2f (target at most 1.2: %s)\n", p / c, (p <= 1.2 * c) ? "met" : "MISSED"
}'
echo "all times in ms, program: $(printf '%s\n' "${program_times[@]}" | sort -n | awk '{ printf "%.2f ", $1 / 1000 }')"
echo "all times in ms, cp:      $(printf '%s\n' "${copy_times[@]}" | sort -n | awk '{ printf "%.2f ", $1 / 1000 }')"
