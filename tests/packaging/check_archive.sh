#!/usr/bin/env bash
# Makes the tool's archive for authors with cpack from a build folder, and
# checks that it holds exactly what an author needs, each file where the tool
# and the README say: the tool, the runner beside it, the diagnostics
# reference, the glossary and the authors' README; and, for Linux, that the
# tool in it runs.
# Usage: check_archive.sh BUILD_DIR linux|windows PACKAGE_FILE_NAME with-runner|no-runner [UNPACK_DIR]
# UNPACK_DIR, when given, receives the unpacked archive for further checks.
set -euo pipefail
build=$1 system=$2 name=$3 runner=$4 keep=${5:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/tool archive.XXXXXX")
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }

case $system in
    linux)
        archive="$work/$name.tar.gz"
        doc="share/doc/valcorvina_compactor"
        expected=("bin/scenario-tool" "$doc/README.md" "$doc/diagnostics.md" "$doc/glossary.md")
        [ "$runner" == with-runner ] && expected+=("bin/scenario-runner")
        ;;
    windows)
        archive="$work/$name.zip"
        expected=("scenario-tool.exe" "README.md" "docs/diagnostics.md" "docs/glossary.md")
        [ "$runner" == with-runner ] && expected+=("scenario-runner.exe")
        ;;
    *) echo "no system '$system'" >&2; exit 2 ;;
esac
[ -f "$archive" ] || { echo "cpack made no $(basename "$archive"):"; ls "$work"; exit 1; } >&2

mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$archive")
held=$(cd "$work/unpacked" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(printf "$name/%s\n" "${expected[@]}" | LC_ALL=C sort)
if [ "$held" != "$wanted" ]; then
    echo "$(basename "$archive") holds:"$'\n'"$held"$'\n'"instead of:"$'\n'"$wanted" >&2
    exit 1
fi
root="$work/unpacked/$name"
if [ "$system" == linux ]; then
    "$root/bin/scenario-tool" --version | grep -q '^scenario-tool ' || { echo "the archived tool does not run" >&2; exit 1; }
    diff "$root/$doc/diagnostics.md" "$(dirname "$0")/../../docs/diagnostics.md"
fi
if [ -n "$keep" ]; then
    rm -rf "${keep:?}/$name"
    mkdir -p "$keep"
    mv "$root" "$keep/"
fi
echo "$(basename "$archive"): ${#expected[@]} files, as expected"
