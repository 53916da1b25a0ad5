#!/usr/bin/env bash
# Runs each fuzz target for a while on a copy of its seed corpus; exits
# non-zero on the first crash, sanitizer report, timeout or failed check.
#   fuzz/run.sh [seconds per target] [extra libFuzzer options...]
# Build first: cmake --preset fuzz && cmake --build --preset fuzz
# Inputs that fail are kept in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
bin=build/fuzz/fuzz
findings=build/fuzz/findings
mkdir -p "$findings"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The most a fuzz process may hold, checked by libFuzzer every second.
rss_limit_mb="${COMPACTOR_FUZZ_RSS_LIMIT_MB:-256}"

# A small quarantine keeps the run fast: the default one makes every
# execution fault in fresh pages for the large route tables.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=8}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# Seeds of 200 KB written to exhaust the tool's memory: a line of commas
# after a curve keyword, and a station name of 200 KB.
hostile_seeds() {
    local head=$'[generale]\r\nlunghezza percorso,  100000\r\n[curve]\r\n'
    local train=$'[generale]\r\nvelocita,   0,    100\r\naderenza,   0,    90\r\n'
    { printf '%scurvas1' "$head"; head -c 200000 /dev/zero | tr '\0' ','; printf '~%s' "$train"; } >"$1/commas"
    { printf '%s~%sstazione,  0, 8, 500,  1, 0, 0,  4,1,0,  2,1,1,    1,  15,47,30, ' "$head" "$train"
      head -c 200000 /dev/zero | tr '\0' 'A'; } >"$1/station_name"
}

for pair in line_description_fuzzer:line scenario_fuzzer:both; do
    target="${pair%%:*}"
    corpus="$work/${pair##*:}"
    cp -r "fuzz/corpus/${pair##*:}" "$corpus"
    if [ "$target" = scenario_fuzzer ]; then hostile_seeds "$corpus"; fi
    echo "-- $target, ${seconds} s"
    # -max_len lets the text grow as long as the descriptions of the longest
    # route, and more; a route length up to 1000000 makes one input cost up to
    # a few tenths of a second under the sanitizers, hence the timeout and the
    # preference for fast inputs. The scenario target holds the tool's check
    # to four times its input and 32 MiB more (a check that fails is a
    # finding); -rss_limit_mb bounds the whole process, both plan geometries
    # of a route of 1000000 m under the sanitizers included.
    if ! "$bin/$target" -max_total_time="$seconds" -max_len=262144 -timeout=30 \
            -rss_limit_mb="$rss_limit_mb" -malloc_limit_mb=64 \
            -entropic_scale_per_exec_time=1 -dict=fuzz/description.dict \
            -artifact_prefix="$findings/" -print_final_stats=1 "$@" "$corpus" >"$work/$target.log" 2>&1; then
        tail -n 60 "$work/$target.log"
        echo "$target failed; the input is in $findings/" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|DONE' "$work/$target.log" || true
done
