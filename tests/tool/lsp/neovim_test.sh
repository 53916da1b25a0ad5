#!/bin/sh
# Runs neovim_test.lua in a scenario folder of its own: the embedded
# scenario with one keyword misspelt. Skipped (77) where Neovim is missing.
#   neovim_test.sh TOOL SOURCE_DIR
set -eu
command -v nvim >/dev/null 2>&1 || { echo "skipped: Neovim is needed (apt-get install neovim)"; exit 77; }
tool="$1"
source_dir="$2"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cp "$source_dir/src/description/scenario/line.txt" "$folder/Valcorvina_linea.txt"
sed 's/^segnale,    2550,/segnalle,    2550,/' "$source_dir/src/description/scenario/train.txt" >"$folder/Valcorvina_IC 318-.txt"
cd "$folder"
TOOL="$tool" SCENARIO="$folder" HOME="$folder" XDG_STATE_HOME="$folder" \
    nvim --headless -u NONE -i NONE -n -c "luafile $source_dir/tests/tool/lsp/neovim_test.lua" </dev/null
