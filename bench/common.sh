# What the bench scripts share; sourced by them, not run.

# The wall clock in microseconds is "${EPOCHREALTIME/./}", read in place: a
# function called as $(...) runs in a forked subshell, and on a small
# machine two forks around each run cost more than the copy being timed.

# The median of the numbers on standard input, one per line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Stops the script unless every argument is a built executable.
require_built() {
    local needed
    for needed in "$@"; do
        if [ ! -x "$needed" ]; then
            echo "no '$needed'; build it first (release and bench presets)" >&2
            exit 2
        fi
    done
}

# Sets `work` to a fresh folder named after $1 under $COMPACTOR_BENCH_DIR,
# else $TMPDIR or /tmp, removed when the script ends.
make_work_folder() {
    work="$(mktemp -d "${COMPACTOR_BENCH_DIR:-${TMPDIR:-/tmp}}/$1.XXXXXX")"
    trap 'rm -rf "$work"' EXIT
}
