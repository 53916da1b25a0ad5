# The authoring tool for Windows under Wine, against the Linux build's tool;
# sourced by run_under_wine.sh, whose helpers and folders it uses. Every
# check runs in a folder whose name holds a space, and again in one named
# `日本語 ☃`, outside the ANSI code page, given as the input folder and as
# --out, relative to the current folder so that both tools print the same
# paths:
#   1. --version; `check --json` of descriptions with an error equals the
#      Linux tool's JSON byte for byte; `compile` writes the Linux tool's
#      three files; `view` writes the same page, to a file and to standard
#      output (binary: no line end translated); `dump` of a file and of
#      standard input (binary too) prints the same rows;
#   2. diagnostics on standard error: colour off for `--color=auto` when it
#      is not a console, the same bytes as Linux with `--color=always`; in a
#      console (a terminal that Wine's console draws into) the accented
#      letter of a station name comes out as that letter, and `--color=auto`
#      colours;
#   3. `new --example` writes the Linux tool's five texts, and the program
#      `package --target windows` makes of them writes the built-in
#      program's six files byte for byte;
#   4. a packaged program whose scenario is bit-flipped, truncated or
#      extended writes nothing and reports the damage in a message box
#      (the probe runner, beside the tool, notes and closes it); the Linux
#      tool with the Windows runner beside it packages the same program;
#   5. Ctrl+C (SIGINT, which Wine hands to the console's control handlers)
#      during a compile removes the scratch folder and the folders made for
#      the output; a scratch folder a killed tool left is swept by the next
#      compile, and a folder named like one but not marked as one stays;
#   6. the Windows archive of cpack holds what an author needs, and the
#      tool in it runs.

echo "-- building the tool for Windows and for Linux"
cmake --build --preset windows --target scenario_tool runner_probe >/dev/null
cmake --build --preset test --target scenario_tool >/dev/null
windows_tool="$root/build/windows/scenario-tool.exe"
linux_tool="$root/build/test/scenario-tool"

# Descriptions with one error, in a station whose name holds ò (one byte, as
# the descriptions are written): its row is echoed under the error.
tool_inputs="$work/tool inputs"
mkdir -p "$tool_inputs"
cp src/description/scenario/line.txt "$tool_inputs/line.txt"
cp src/description/scenario/train.txt "$tool_inputs/train.txt"
cp src/description/scenario/line.txt "$tool_inputs/faulty line.txt"
sed $'s/^\\(stazione, *\\)6150\\(,.*\\)Casalvento$/\\16155\\2Borg\xf2/' src/description/scenario/train.txt \
    >"$tool_inputs/faulty train.txt"
if cmp -s "$tool_inputs/train.txt" "$tool_inputs/faulty train.txt"; then
    fail "the faulty train description could not be made: the station row of Casalvento changed"
fi

# tool_run linux|windows FOLDER NAME ARGS...: the tool from FOLDER, its
# standard output and error in FOLDER/NAME.out and NAME.err, standard input
# from $tool_stdin (default: none); sets $status.
tool_stdin=/dev/null
tool_run() {
    local system=$1 folder=$2 name=$3
    shift 3
    status=0
    if [ "$system" == windows ]; then
        (cd "$folder" && timeout 120 wine "$windows_tool" "$@" <"$tool_stdin" >"$name.out" 2>"$name.err") || status=$?
    else
        (cd "$folder" && "$linux_tool" "$@" <"$tool_stdin" >"$name.out" 2>"$name.err") || status=$?
    fi
}
# both FOLDER NAME ARGS...: the same command line with both tools; sets
# $status to the Windows tool's, $linux_status to the Linux tool's.
linux_status=0
both() {
    local folder=$1 name=$2
    shift 2
    tool_run linux "$folder" "$name.linux" "${@//@SYSTEM@/linux}"
    linux_status=$status
    tool_run windows "$folder" "$name.windows" "${@//@SYSTEM@/windows}"
}
same_files() {
    local what=$1 a=$2 b=$3
    if cmp -s "$a" "$b"; then pass "$what"; else fail "$what: $(basename "$a") and $(basename "$b") differ"; fi
}
# What a console shows, without its cursor and colour sequences and its
# carriage returns.
console_text() { sed -e $'s/\x1b\\[[0-9;?]*[A-Za-z]//g' -e $'s/\r//g' "$1"; }

tool_checks() {
    local place=$1
    local at="$work/tool/$place"
    local here
    here=$(dirname "$at")
    local folder
    folder=$(basename "$at")
    mkdir -p "$at"
    cp "$tool_inputs"/*.txt "$at/"
    echo "-- the tool in '$folder'"

    tool_run windows "$here" version --version
    check "$folder: --version (was $status)" grep -q "^scenario-tool [0-9.]* (commit " "$here/version.out"

    both "$here" check check --json --line "$folder/faulty line.txt" --train "$folder/faulty train.txt"
    check "$folder: check --json: exit status 1, as on Linux (was $status)" [ "$status" -eq 1 -a "$linux_status" -eq 1 ]
    same_files "$folder: check --json: the Linux tool's JSON" "$here/check.linux.out" "$here/check.windows.out"

    both "$here" compile compile --line "$folder/line.txt" --train "$folder/train.txt" --title Valcorvina \
        --train-code "IC 318" --out "$folder/out @SYSTEM@/deeper"
    check "$folder: compile: exit status 0 (was $status)" [ "$status" -eq 0 ]
    for name in "Valcorvina_IC 318.dat" "Valcorvina_IC 318.sim" "Valcorvina_linea.dat"; do
        same_files "$folder: compile: the Linux tool's $name" "$at/out linux/deeper/$name" "$at/out windows/deeper/$name"
    done
    expect_files "$at/out windows/deeper" "$folder: compile: the three files, nothing else" \
        "Valcorvina_IC 318.dat" "Valcorvina_IC 318.sim" "Valcorvina_linea.dat"

    both "$here" view view --line "$folder/faulty line.txt" --train "$folder/faulty train.txt" --title Valcorvina \
        --train-code "IC 318" --out "$folder/page @SYSTEM@.html"
    check "$folder: view: exit status 1 for the error (was $status)" [ "$status" -eq 1 ]
    same_files "$folder: view: the Linux tool's page" "$at/page linux.html" "$at/page windows.html"
    both "$here" view-stdout view --line "$folder/line.txt" --train "$folder/train.txt" --out -
    same_files "$folder: view --out -: the Linux tool's page, byte for byte" "$here/view-stdout.linux.out" \
        "$here/view-stdout.windows.out"

    local sim="$folder/out linux/deeper/Valcorvina_IC 318.sim"
    both "$here" dump dump "$sim"
    same_files "$folder: dump: the Linux tool's rows" "$here/dump.linux.out" "$here/dump.windows.out"
    tool_stdin="$here/$sim"
    both "$here" dump-stdin dump --as sim -
    tool_stdin=/dev/null
    same_files "$folder: dump - (standard input): the Linux tool's rows" "$here/dump-stdin.linux.out" \
        "$here/dump-stdin.windows.out"

    local faulty=(check --line "$folder/faulty line.txt" --train "$folder/faulty train.txt")
    both "$here" auto "${faulty[@]}"
    same_files "$folder: --color=auto, not a console: no colour, the Linux tool's report" "$here/auto.linux.err" \
        "$here/auto.windows.err"
    check "$folder: the report names Borgò" grep -qF "Borgò" "$here/auto.windows.err"
    both "$here" always "${faulty[@]}" --color=always
    same_files "$folder: --color=always: the Linux tool's coloured report" "$here/always.linux.err" \
        "$here/always.windows.err"
    # A terminal of its own, wide enough that Wine's console breaks no line.
    (cd "$here" && LANG=C.UTF-8 timeout 120 script -qec \
        "stty cols 250; wine $(printf %q "$windows_tool") $(printf '%q ' "${faulty[@]}") --color=never" /dev/null \
        >"$here/console.log" 2>&1) || true
    console_text "$here/console.log" >"$here/console.txt"
    same_files "$folder: in the console: the Linux tool's report, ò as ò" "$here/auto.linux.err" "$here/console.txt"
    (cd "$here" && LANG=C.UTF-8 timeout 120 script -qec \
        "stty cols 250; wine $(printf %q "$windows_tool") $(printf '%q ' "${faulty[@]}")" /dev/null \
        >"$here/console-colour.log" 2>&1) || true
    check "$folder: --color=auto in a console: coloured" grep -qF $'\x1b[1;31merror:' "$here/console-colour.log"

    # An author's way from the built-in scenario to a program of it: `new
    # --example` writes the Linux tool's five texts; the program `package
    # --target windows` makes of them writes the built-in program's six files.
    both "$here" new new "$folder/example @SYSTEM@" --example
    check "$folder: new --example: exit status 0, as on Linux (was $status)" [ "$status" -eq 0 -a "$linux_status" -eq 0 ]
    local name
    for name in "${example_texts[@]}"; do
        same_files "$folder: new --example: the Linux tool's $name" "$at/example linux/$name" "$at/example windows/$name"
    done
    tool_run windows "$here" package package "$folder/example windows" --target windows --out "$folder/programs"
    check "$folder: package --target windows: exit status 0 (was $status)" [ "$status" -eq 0 ]
    local packaged="$at/packaged run"
    mkdir -p "$packaged"
    cp "$at/programs/$program_name.exe" "$packaged/"
    run_wine "$packaged/$program_name.exe"
    check "$folder: the packaged program: exit status 0 (was $status)" [ "$status" -eq 0 ]
    expect_files "$packaged" "$folder: the packaged program: the six files beside it, nothing else" \
        "$program_name.exe" "${six_files[@]}"
    for name in "${six_files[@]}"; do
        same_files "$folder: the packaged program: the built-in program's $name" "$linux_run/$name" "$packaged/$name"
    done
}

example_texts=("Valcorvina_linea.txt" "$program_name-.txt" "${program_name}_note.txt" "${program_name}_rallentamenti.txt"
               "${program_name}_scheda_treno.txt")
tool_checks "tool checks"
tool_checks "日本語 ☃"

echo "-- the Linux tool packages for Windows with the Windows runner beside it"
cross=$(fresh_folder "linux tool with the windows runner")
cp "$linux_tool" "$root/build/windows/scenario-runner.exe" "$cross/"
status=0
(cd "$cross" && ./scenario-tool new example --example && ./scenario-tool package example --target windows --out programs) \
    >"$cross/package.log" 2>&1 || status=$?
check "new --example and package --target windows (was $status)" [ "$status" -eq 0 ]
same_files "the program the Windows tool packaged, byte for byte" "$cross/programs/$program_name.exe" \
    "$work/tool/tool checks/programs/$program_name.exe"

echo "-- packaged programs whose scenario is damaged (the runner beside the tool: the probe runner)"
probe_tool=$(fresh_folder "tool with the probe runner")
cp "$windows_tool" "$probe_tool/"
cp "$probes/runner_probe.exe" "$probe_tool/scenario-runner.exe"
status=0
(cd "$probe_tool" && timeout 120 wine "$probe_tool/scenario-tool.exe" new example --example &&
    timeout 120 wine "$probe_tool/scenario-tool.exe" package example --out programs) >"$probe_tool/package.log" 2>&1 ||
    status=$?
check "new --example and package with the runner beside the tool (was $status)" [ "$status" -eq 0 ]
packaged_program="$probe_tool/programs/$program_name.exe"
# damage KIND FILE: spoils a copy of the packaged program.
damage() {
    local size
    size=$(stat -c %s "$2")
    case $1 in
        intact) ;;
        # A byte of the last text, in the payload, with its bits inverted.
        bit-flipped)
            local byte
            byte=$(od -An -tu1 -j $((size - 100)) -N1 "$2" | tr -d ' ')
            printf "\\$(printf %03o $((255 - byte)))" | dd of="$2" bs=1 seek=$((size - 100)) conv=notrunc 2>/dev/null
            ;;
        truncated) truncate -s $((size - 1)) "$2" ;;
        extended) printf 'x' >>"$2" ;;
    esac
}
declare -A damage_reason=(
    [bit-flipped]="is damaged: its checksum does not match"
    [truncated]="is damaged: the file does not end with a scenario package"
    [extended]="is damaged: the file does not end with a scenario package")
for kind in intact bit-flipped truncated extended; do
    spoilt=$(fresh_folder "packaged $kind")
    cp "$packaged_program" "$spoilt/"
    damage "$kind" "$spoilt/$program_name.exe"
    run_wine "$spoilt/$program_name.exe"
    if [ "$kind" == intact ]; then
        check "intact: exit status 0 (was $status)" [ "$status" -eq 0 ]
        expect_files "$spoilt" "intact: the six files" "$program_name.exe" "${six_files[@]}"
        continue
    fi
    check "$kind: exit status 2 after the report (was $status)" [ "$status" -eq 2 ]
    box="$spoilt/probe message box.txt"
    expect_line "$box" "text: Run-time error:" "$kind: a message box reports a run-time error"
    check "$kind: it says why: ${damage_reason[$kind]}" grep -qF "${damage_reason[$kind]}" "$box"
    expect_line "$box" "icon: shown" "$kind: with the error icon"
    expect_files "$spoilt" "$kind: nothing written" "$program_name.exe" "probe message box.txt"
done

echo "-- the tool interrupted by Ctrl+C while it compiles a long route"
interrupted=$(fresh_folder "tool interrupted")
sed 's/^lunghezza percorso, *218000$/lunghezza percorso,    1000000/' src/description/scenario/line.txt \
    >"$interrupted/line.txt"
cp src/description/scenario/train.txt "$interrupted/train.txt"
(cd "$interrupted" && exec timeout 120 wine "$windows_tool" compile --line line.txt --train train.txt --title L \
    --train-code C --out "made/日本語 ☃" >/dev/null 2>&1) &
tool_pid=$!
for _ in $(seq 1 1200); do
    compgen -G "$interrupted/made/日本語 ☃/.scenario-tool-*" >/dev/null && break
    sleep 0.05
done
if compgen -G "$interrupted/made/日本語 ☃/.scenario-tool-*" >/dev/null; then
    kill -INT "$tool_pid" 2>/dev/null || true
    wait "$tool_pid" || true
    left=$(cd "$interrupted" && { find made 2>/dev/null || true; } | LC_ALL=C sort | tr '\n' ' ')
    # Either nothing is left, or the compile ended first and wrote its files.
    # A file the tool had open for writing cannot be deleted on Windows: then
    # its scratch folder stays with its marker, and the next compile there
    # sweeps it.
    written="made made/日本語 ☃ made/日本語 ☃/L_C.dat made/日本語 ☃/L_C.sim made/日本語 ☃/L_linea.dat "
    if compgen -G "$interrupted/made/日本語 ☃/.scenario-tool-*/.scenario-tool-owner" >/dev/null; then
        pass "interrupted while it wrote a file: its scratch folder is left with its marker"
        tool_run windows "$interrupted" after-interrupt compile --line line.txt --train train.txt --title L \
            --train-code C --out "made/日本語 ☃"
        left=$(cd "$interrupted" && find made -name '.scenario-tool-*' | tr '\n' ' ')
        check "the next compile sweeps it (was $status; left: ${left:-nothing})" [ "$status" -eq 0 -a -z "$left" ]
    else
        check "no scratch folder, no empty folder made for the output (left: ${left:-nothing})" \
            [ -z "$left" -o "$left" == "$written" ]
    fi
else
    # Under load the compile may end between two looks: then it must have
    # written its three files and left nothing else.
    wait "$tool_pid" || true
    left=$(cd "$interrupted" && { find made 2>/dev/null || true; } | LC_ALL=C sort | tr '\n' ' ')
    written="made made/日本語 ☃ made/日本語 ☃/L_C.dat made/日本語 ☃/L_C.sim made/日本語 ☃/L_linea.dat "
    check "a compile that ended before it was interrupted leaves its files only (left: ${left:-nothing})" \
        [ "$left" == "$written" ]
fi

echo "-- a scratch folder left by a killed tool"
swept=$(fresh_folder "tool sweep")
# Process ids no process has: Windows numbers processes in fours from the
# bottom, and Wine has a few dozen.
mkdir "$swept/.scenario-tool-4000000-Ab3dE9" "$swept/.scenario-tool-4000004-Xy7wQ2"
printf 'scratch folder of scenario-tool, process 4000000\n' >"$swept/.scenario-tool-4000000-Ab3dE9/.scenario-tool-owner"
echo left >"$swept/.scenario-tool-4000000-Ab3dE9/L_C.sim"
printf 'not a marker\n' >"$swept/.scenario-tool-4000004-Xy7wQ2/.scenario-tool-owner"
cp "$tool_inputs/line.txt" "$tool_inputs/train.txt" "$swept/"
tool_run windows "$swept" sweep compile --line line.txt --train train.txt --title Valcorvina --train-code "IC 318"
check "compile beside them: exit status 0 (was $status)" [ "$status" -eq 0 ]
check "the killed tool's scratch folder is swept" [ ! -e "$swept/.scenario-tool-4000000-Ab3dE9" ]
check "a folder named like one but not marked as one stays" \
    [ -e "$swept/.scenario-tool-4000004-Xy7wQ2/.scenario-tool-owner" ]

echo "-- the language server"
# initialize answered, the diagnostic of a misspelt keyword published for a
# train description opened by a Windows URI, and the line description checked
# again when it changes on disk.
if probe_said=$(timeout 180 python3 "$root/tests/windows/lsp_probe.py" --drive Z wine "$windows_tool" lsp 2>&1); then
    pass "lsp: $probe_said"
else
    fail "lsp: $probe_said"
fi

echo "-- the tool's archive for Windows"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
with_runner=no-runner
[ -f build/windows/scenario-runner.exe ] && with_runner=with-runner
if archive_check=$(tests/packaging/check_archive.sh build/windows windows "scenario-tool-$version-windows-x86_64" \
    "$with_runner" "$work/archive" 2>&1); then
    pass "$archive_check"
else
    fail "the Windows archive: $archive_check"
fi
unpacked=$(find "$work/archive" -mindepth 1 -maxdepth 1 -type d | head -n 1)
if [ -n "$unpacked" ]; then
    status=0
    (cd / && timeout 120 wine "$unpacked/scenario-tool.exe" --version >"$work/archive version" 2>&1) || status=$?
    check "the archived tool runs (was $status)" grep -q "^scenario-tool " "$work/archive version"
fi
