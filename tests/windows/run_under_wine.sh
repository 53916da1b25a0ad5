#!/usr/bin/env bash
# Runs the Windows build under Wine, on a virtual X display of its own, each
# time from a fresh folder whose path holds a space:
#   1. the program leaves exactly the six files, byte for byte those of the
#      Linux build, also from a folder named with letters outside the ANSI
#      code page, and again when it replaces them, sweeping a killed run's
#      temporary file but not a user's file named like one;
#   2. the window probe shows Form1 with "Attendere": its measures are
#      checked and a screenshot is taken while it is on the screen;
#   3. the stamp error 1250 (dialog probes) shows " Errore n. 1250" with one
#      OK button and no icon, and closing the box by OK or by its close
#      control ends the process with no binary file written;
#   4. a file that cannot be created brings the fatal error report naming it.
# Needs: g++-mingw-w64-x86-64-posix, wine, xvfb, imagemagick.
# Environment: SCREENSHOT_DIR (default build/windows/screenshots).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

program_name="Valcorvina_IC 318"
six_files=("$program_name.dat" "$program_name.sim" "${program_name}_note.txt" "${program_name}_rallentamenti.txt"
           "${program_name}_scheda_treno.txt" "Valcorvina_linea.dat")
screenshot_dir=${SCREENSHOT_DIR:-$root/build/windows/screenshots}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }
# check <what> <command...>: passes when the command succeeds.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

echo "-- building the Windows program and its probes"
[ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null
cmake --build --preset windows --target valcorvina window_probe dialog_probe_ok dialog_probe_close >/dev/null
windows_program="$root/build/windows/$program_name.exe"
probes="$root/build/windows/tests/windows"

echo "-- building the Linux program"
[ -f build/test/CMakeCache.txt ] || cmake --preset test >/dev/null
cmake --build --preset test --target valcorvina >/dev/null
linux_program="$root/build/test/$program_name"

work=$(mktemp -d "${TMPDIR:-/tmp}/valcorvina under wine.XXXXXX")
xvfb_pid=
export WINEPREFIX="$root/build/windows/wine-prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, whatever DISPLAY the caller has.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "-- preparing the Wine prefix (once)"
    wineboot --init >/dev/null 2>&1
    wineserver -w
fi

# A fresh folder under the work folder, whose path holds a space.
fresh_folder() {
    local folder="$work/$1"
    mkdir -p "$folder"
    echo "$folder"
}
# Runs a Windows executable from another current folder; sets $status.
status=0
run_wine() {
    status=0
    (cd / && timeout 120 wine "$@" >/dev/null 2>&1) || status=$?
}
files_in() { (cd "$1" && find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort); }
expect_files() {
    local folder=$1 what=$2
    shift 2
    local expected
    expected=$(printf '%s\n' "$@" | LC_ALL=C sort)
    if [ "$(files_in "$folder")" == "$expected" ]; then
        pass "$what"
    else
        fail "$what: the folder holds"$'\n'"$(files_in "$folder")"
    fi
}
expect_line() {
    local file=$1 line=$2 what=$3
    if grep -qxF -- "$line" "$file" 2>/dev/null; then
        pass "$what"
    else
        fail "$what: no line '$line' in $(basename "$file")"
    fi
}

echo "-- the Linux program"
linux_run=$(fresh_folder "linux run")
cp "$linux_program" "$linux_run/"
(cd / && "$linux_run/$program_name" >/dev/null)

echo "-- the Windows program under Wine"
windows_run=$(fresh_folder "windows run")
cp "$windows_program" "$windows_run/"
run_wine "$windows_run/$program_name.exe"
check "exit status 0 (was $status)" [ "$status" -eq 0 ]
expect_files "$windows_run" "the six files beside the program, nothing else" "$program_name.exe" "${six_files[@]}"
for name in "${six_files[@]}"; do
    check "same bytes as the Linux build: $name" cmp -s "$linux_run/$name" "$windows_run/$name"
done

echo "-- the Windows program from a folder named outside the ANSI code page, run twice"
unicode_run=$(fresh_folder "日本語 ☃")
cp "$windows_program" "$unicode_run/"
kept=()
for round in first second; do
    if [ "$round" == second ]; then
        # What a killed run left of one of the program's files goes; a user's
        # file that merely looks like a temporary file stays.
        echo partial >"$unicode_run/.Valcorvina_linea.dat.Ab3dE9.partial"
        echo mine >"$unicode_run/.myown.ABCDEF.partial"
        kept=(".myown.ABCDEF.partial")
    fi
    run_wine "$unicode_run/$program_name.exe"
    check "$round run: exit status 0 (was $status)" [ "$status" -eq 0 ]
    expect_files "$unicode_run" "$round run: the six files and the user's own, nothing else" "$program_name.exe" \
        "${six_files[@]}" "${kept[@]}"
done
for name in "${six_files[@]}"; do
    check "same bytes as the Linux build: 日本語 ☃/$name" cmp -s "$linux_run/$name" "$unicode_run/$name"
done

echo "-- the window (probe held on a virtual desktop for the screenshot)"
window_run=$(fresh_folder "window run")
cp "$probes/window_probe.exe" "$window_run/"
(cd / && timeout 120 wine explorer /desktop=Valcorvina,480x300 "$window_run/window_probe.exe" >/dev/null 2>&1) &
probe_pid=$!
for _ in $(seq 1 600); do [ -e "$window_run/probe window shown" ] && break; sleep 0.1; done
mkdir -p "$screenshot_dir"
screenshot="$screenshot_dir/form1_attendere.png"
if [ -e "$window_run/probe window shown" ]; then
    sleep 1  # the desktop's own drawing
    import -window root -crop 480x300+0+0 +repage "$screenshot"
    echo "screenshot: $screenshot"
    colours=$(identify -format '%k' "$screenshot")
    check "the screenshot shows more than the bare desktop ($colours colours)" [ "$colours" -gt 4 ]
else
    fail "the window probe never showed its window"
fi
touch "$window_run/screenshot taken"
wait "$probe_pid" || true
notes="$window_run/probe window.txt"
expect_line "$notes" "title: $program_name" "title bar text"
expect_line "$notes" "visible: 1" "window visible"
expect_line "$notes" "dpi: 96" "screen at 96 dots per inch"
expect_line "$notes" "client: 0 0 280 179" "client area 4200 x 2688 twips is 280 x 179 pixels"
expect_line "$notes" 'label: Static "Attendere" 64 64 177 53' "label at 960/960 twips, 2652 x 792 twips"
expect_line "$notes" "font: MS Sans Serif -32 700 0" "label font MS Sans Serif 24 point bold, character set 0"
grep -F "drawn with:" "$notes" || true
expect_files "$window_run" "the probe's run leaves the six files too" window_probe.exe "${six_files[@]}" \
    "probe window.txt" "probe window shown" "screenshot taken"

for closing in ok close; do
    case $closing in
        ok) how="OK" ;;
        close) how="close control" ;;
    esac
    echo "-- the stamp error, message box closed by $how"
    box_run=$(fresh_folder "stamp error $closing")
    cp "$probes/dialog_probe_$closing.exe" "$box_run/"
    run_wine "$box_run/dialog_probe_$closing.exe"
    check "exit status 1 after the report (was $status)" [ "$status" -eq 1 ]
    box="$box_run/probe message box.txt"
    expect_line "$box" "text:  Errore n. 1250" "the message"
    expect_line "$box" "title: $program_name" "the program's name as title"
    expect_line "$box" "buttons: 1" "one button"
    expect_line "$box" "button: OK" "the button is OK"
    expect_line "$box" "icon: none" "no icon"
    expect_line "$box" "closed by: $how" "closed by $how"
    expect_files "$box_run" "the run ended at the box: documents only, no binary file" "dialog_probe_$closing.exe" \
        "${program_name}_note.txt" "${program_name}_rallentamenti.txt" "${program_name}_scheda_treno.txt" \
        "probe message box.txt"
done

echo "-- the fatal error report (the line description's name is taken by a folder)"
fatal_run=$(fresh_folder "fatal report")
cp "$probes/dialog_probe_ok.exe" "$fatal_run/"
mkdir "$fatal_run/Valcorvina_linea.txt"
run_wine "$fatal_run/dialog_probe_ok.exe"
check "exit status 2 after the report (was $status)" [ "$status" -eq 2 ]
box="$fatal_run/probe message box.txt"
expect_line "$box" "text: Run-time error:" "names a run-time error"
check "names the file" grep -q "Valcorvina_linea.txt'\$" "$box"
expect_line "$box" "icon: shown" "with the error icon"
expect_files "$fatal_run" "nothing written" dialog_probe_ok.exe "probe message box.txt"

# The authoring tool.
source tests/windows/tool_under_wine.sh

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed under Wine" >&2
    exit 1
fi
echo "all checks passed under Wine"
