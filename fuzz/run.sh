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

# A small quarantine keeps the run fast: the default one makes every
# execution fault in fresh pages for the large route tables.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=8}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

for pair in line_description_fuzzer:line scenario_fuzzer:both; do
    target="${pair%%:*}"
    corpus="$work/${pair##*:}"
    cp -r "fuzz/corpus/${pair##*:}" "$corpus"
    echo "-- $target, ${seconds} s"
    # -max_len bounds the text; a route length up to 1000000 still makes one
    # input cost up to a few tenths of a second under the sanitizers, hence the
    # timeout and the preference for fast inputs.
    if ! "$bin/$target" -max_total_time="$seconds" -max_len=4096 -timeout=30 \
            -entropic_scale_per_exec_time=1 -dict=fuzz/description.dict \
            -artifact_prefix="$findings/" -print_final_stats=1 "$@" "$corpus" >"$work/$target.log" 2>&1; then
        tail -n 60 "$work/$target.log"
        echo "$target failed; the input is in $findings/" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|DONE' "$work/$target.log" || true
done
