// Times `scenario-tool lsp` on the largest scenario (the 1000000 m route
// described in detail: 199 KB and 6,585 rows) as an editor uses it: from a
// one-character change of the train description to the diagnostics of both
// files published (debounce included), hover and completion answered; and
// the server's peak memory over 1,000 changes. Reports medians.
//   node bench/time_lsp.js [build folder] [changes]
// build folder: a build of the bench preset (default build/bench:
//   cmake --preset bench && cmake --build --preset bench), holding
//   scenario-tool and bench/max_scenario_descriptions;
// changes: the timed changes (default 50); the memory is read after 1,000.
'use strict';
const { execFileSync, spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const { benchBuild, median, scratch } = require('./bench_build');
const { root, build, tool, writer } = benchBuild(process.argv[2]);
const runs = Number(process.argv[3] || 50);
const work = scratch('lsp');
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));

// The scenario as a folder names it.
execFileSync(writer, [work, '--detailed']);
const linePath = path.join(work, 'Max_linea.txt');
const trainPath = path.join(work, 'Max_T 1-.txt');
fs.renameSync(path.join(work, 'max_line.txt'), linePath);
fs.renameSync(path.join(work, 'max_train.txt'), trainPath);
const uri = (p) => 'file://' + p.split('/').map(encodeURIComponent).join('/');
const texts = [linePath, trainPath].map((p) => fs.readFileSync(p, 'latin1'));
const trainLines = texts[1].split(/\r?\n/);

const server = spawn(tool, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
let input = Buffer.alloc(0);
const waiters = [];
server.stdout.on('data', (chunk) => {
    input = Buffer.concat([input, chunk]);
    for (;;) {
        const end = input.indexOf('\r\n\r\n');
        if (end < 0) return;
        const length = Number(/Content-Length: (\d+)/.exec(input.subarray(0, end).toString())[1]);
        if (input.length < end + 4 + length) return;
        const message = JSON.parse(input.subarray(end + 4, end + 4 + length).toString('utf8'));
        input = input.subarray(end + 4 + length);
        for (const w of [...waiters]) w(message);
    }
});
function send(message) {
    const body = Buffer.from(JSON.stringify({ jsonrpc: '2.0', ...message }), 'utf8');
    server.stdin.write(`Content-Length: ${body.length}\r\n\r\n`);
    server.stdin.write(body);
}
// Resolves with the time from now to the first message `done` accepts.
function until(done) {
    const start = process.hrtime.bigint();
    return new Promise((resolve) => {
        const w = (m) => {
            if (!done(m)) return;
            waiters.splice(waiters.indexOf(w), 1);
            resolve(Number(process.hrtime.bigint() - start) / 1e6);
        };
        waiters.push(w);
    });
}
// Both files' diagnostics published.
function published() {
    const seen = new Set();
    return until((m) => m.method === 'textDocument/publishDiagnostics' && seen.add(m.params.uri).size === 2);
}
let id = 0;
async function request(method, params) {
    const mine = ++id;
    const time = until((m) => m.id === mine);
    send({ id: mine, method, params });
    return time;
}

async function main() {
    await request('initialize', { processId: null, capabilities: {} });
    send({ method: 'initialized', params: {} });
    const opened = published();
    [linePath, trainPath].forEach((p, i) => send({ method: 'textDocument/didOpen',
        params: { textDocument: { uri: uri(p), languageId: 'plaintext', version: 1, text: texts[i] } } }));
    await opened;
    // The last digit of a line speed, changed and changed back.
    const row = trainLines.findIndex((l) => /^velocita/.test(l));
    const character = trainLines[row].length - 1;
    const digits = [trainLines[row][character], trainLines[row][character] === '5' ? '0' : '5'];
    let version = 1;
    async function change() {
        const done = published();
        ++version;
        send({ method: 'textDocument/didChange', params: { textDocument: { uri: uri(trainPath), version },
            contentChanges: [{ range: { start: { line: row, character }, end: { line: row, character: character + 1 } },
                text: digits[version % 2] }] } });
        return done;
    }
    const changes = [];
    for (let i = 0; i < runs; i++) changes.push(await change());
    const place = { textDocument: { uri: uri(trainPath) }, position: { line: row, character } };
    const hovers = [];
    const completions = [];
    for (let i = 0; i < runs; i++) {
        hovers.push(await request('textDocument/hover', place));
        completions.push(await request('textDocument/completion', { ...place, position: { line: row, character: 3 } }));
    }
    for (let i = runs; i < 1000; i++) await change();
    const peak = /VmHWM:\s+(\d+) kB/.exec(fs.readFileSync(`/proc/${server.pid}/status`, 'utf8'))[1];
    await request('shutdown', null);
    send({ method: 'exit' });
    const size = (texts[0].length + texts[1].length) / 1000;
    const rows = texts.join('').split('\n').length - 1;
    console.log(`largest scenario, detailed: ${size.toFixed(0)} KB of descriptions, ${rows} rows`);
    console.log(`medians of ${runs}: diagnostics of both files after a change ${median(changes).toFixed(2)} ms` +
        ` (debounce included), hover ${median(hovers).toFixed(2)} ms, completion ${median(completions).toFixed(2)} ms`);
    console.log(`peak memory after 1000 changes: ${(Number(peak) / 1024).toFixed(1)} MiB`);
}
main();
