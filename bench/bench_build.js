// What the node benches share: the bench build they time (its scenario-tool
// and the writer of the largest scenario), the median, and a scratch folder.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');

const root = path.resolve(__dirname, '..');

// The build folder given (default build/bench) with the two programs in it;
// ends the bench with a message when either is missing.
function benchBuild(given) {
    const build = path.resolve(given || path.join(root, 'build/bench'));
    const tool = path.join(build, 'scenario-tool');
    const writer = path.join(build, 'bench/max_scenario_descriptions');
    for (const file of [tool, writer]) {
        if (!fs.existsSync(file)) {
            console.error(`no ${file}; build the bench preset first (cmake --preset bench && cmake --build --preset bench)`);
            process.exit(2);
        }
    }
    return { root, build, tool, writer };
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// A fresh folder for a bench's files, under $COMPACTOR_BENCH_DIR or the
// system's temporary folder.
const scratch = (name) => fs.mkdtempSync(path.join(process.env.COMPACTOR_BENCH_DIR || os.tmpdir(), `${name} bench `));

module.exports = { benchBuild, median, scratch };
