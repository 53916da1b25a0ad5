#!/usr/bin/env bash
# Installs what screenshot.js needs into DIR: code-server (VS Code served to a
# browser) and puppeteer-core, pinned by package-lock.json here.
#   editors/vscode/test/screenshot/setup.sh DIR
#
# code-server builds VS Code's native modules when it is installed, with
# node 20 exactly, g++, make, python3 and the Kerberos headers; and it fetches
# a ripgrep binary from the network, which Debian's ripgrep stands in for
# here. As root, once:
#   apt-get install g++ make python3 libkrb5-dev ripgrep
# About 300 MB; five minutes on two cores.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dir="${1:?usage: setup.sh DIR}"

major="$(node -p 'process.versions.node.split(".")[0]')"
if [ "$major" != 20 ]; then
    echo "setup.sh: code-server 4.100.3 needs node 20, this is node $(node --version)" >&2
    exit 1
fi
missing=()
for program in g++ make python3 rg; do
    command -v "$program" >/dev/null 2>&1 || missing+=("$program")
done
[ -e /usr/include/gssapi/gssapi.h ] || missing+=(libkrb5-dev)
if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup.sh: missing ${missing[*]}: apt-get install g++ make python3 libkrb5-dev ripgrep" >&2
    exit 1
fi

# VS Code's ripgrep package looks for its download in this cache before it
# goes to the network.
cache="$(node -p 'require("os").tmpdir()')/vscode-ripgrep-cache-1.15.11"
mkdir -p "$cache"
archive="$cache/ripgrep-v13.0.0-10-x86_64-unknown-linux-musl.tar.gz"
if [ ! -e "$archive" ]; then
    staging="$(mktemp -d)"
    trap 'rm -rf "$staging"' EXIT
    cp "$(command -v rg)" "$staging/rg"
    tar czf "$archive" -C "$staging" rg
fi

mkdir -p "$dir"
cp "$here/package.json" "$here/package-lock.json" "$dir/"
cd "$dir"
# code-server's own install step refuses to run as root without
# unsafe-perm, and fetches node-gyp with npx.
npm_config_unsafe_perm=true npm_config_yes=true npm ci --no-audit --no-fund --prefer-offline --loglevel=error
echo "setup.sh: code-server $(node -p "require('./node_modules/code-server/package.json').version") in $dir"
