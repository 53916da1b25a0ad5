// The language server as a client drives it: `scenario-tool lsp` over its
// standard streams, with the protocol's own packages, on a scenario folder
// with known mistakes, one of them mended on disk at the end; then malformed
// input written byte by byte.
//   TOOL=.../scenario-tool node lsp_test.js   (NODE_PATH holding the packages)
'use strict';
const assert = require('node:assert/strict');
const child_process = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const rpc = require('vscode-jsonrpc/node');

const tool = process.env.TOOL;
const source = process.env.SOURCE_DIR;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-lsp-'));
process.on('exit', () => fs.rmSync(scratch, { recursive: true, force: true }));

// The embedded scenario with four mistakes: a misspelt keyword, a speed the
// cells store otherwise behind a comment holding letters beyond one byte
// (the range must count them as the editor does), and a signal in the cell
// of a roadside sign of the line description.
const line = fs.readFileSync(path.join(source, 'src/description/scenario/line.txt'), 'latin1');
const train = fs.readFileSync(path.join(source, 'src/description/scenario/train.txt'), 'latin1')
    .replace('segnale,    2550,', 'segnalle,    2550,')
    .replace('velocita,    1100,   125', '-nota è😀-, velocita,    1100,   127')
    .replace('Brenzola', 'Brènzola')
    .replace('segnale,   11550,', 'segnale,   10960,   2, 4, 1,  1, 0,    2,  2,1,1, 0\nsegnale,   11550,');
const linePath = path.join(scratch, 'Valcorvina_linea.txt');
const trainPath = path.join(scratch, 'Valcorvina_IC 318-.txt');
fs.writeFileSync(linePath, line, 'latin1');
const lineUri = 'file://' + linePath;
const trainUri = 'file://' + trainPath.replace(/ /g, '%20');
const lines = train.split('\n');
// The protocol's place of a text on its line (JavaScript counts UTF-16 units too).
function at(text, lineText, offset = 0) {
    const row = lines.findIndex((l) => l.includes(lineText));
    const character = lines[row].indexOf(text, lines[row].indexOf(lineText)) + offset;
    return { line: row, character };
}
function range(text, lineText) {
    const start = at(text, lineText);
    return { start, end: { line: start.line, character: start.character + text.length } };
}

async function protocol() {
    const server = child_process.spawn(tool, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
    const connection = rpc.createMessageConnection(
        new rpc.StreamMessageReader(server.stdout), new rpc.StreamMessageWriter(server.stdin));
    const published = new Map();
    let waiting = null;
    connection.onNotification('textDocument/publishDiagnostics', (p) => {
        published.set(p.uri, p.diagnostics);
        if (waiting && published.has(lineUri) && published.has(trainUri)) waiting();
    });
    connection.listen();
    const bothPublished = () => new Promise((resolve) => { published.clear(); waiting = resolve; });

    const registered = new Promise((resolve) => connection.onRequest('client/registerCapability', (p) => {
        resolve(p.registrations);
        return null;
    }));
    const init = await connection.sendRequest('initialize', { processId: null, rootUri: null,
        capabilities: { workspace: { didChangeWatchedFiles: { dynamicRegistration: true } } } });
    assert.equal(init.capabilities.textDocumentSync.change, 2);
    assert.equal(init.capabilities.hoverProvider, true);
    connection.sendNotification('initialized', {});
    assert.deepEqual((await registered).map((r) => [r.method, r.registerOptions.watchers.map((w) => w.globPattern)]),
        [['workspace/didChangeWatchedFiles', ['**/*_linea.txt', '**/*-.txt']]]);
    let diagnostics = bothPublished();
    connection.sendNotification('textDocument/didOpen',
        { textDocument: { uri: trainUri, languageId: 'scenario-train', version: 1, text: train } });
    await diagnostics;

    const trainDiagnostics = published.get(trainUri);
    const byCode = (code) => trainDiagnostics.find((d) => d.code === code);
    assert.deepEqual(byCode('unknown-keyword').range, range('segnalle', 'segnalle'));
    assert.match(byCode('unknown-keyword').message, /did you mean `segnale`\?$/);
    assert.match(byCode('unknown-keyword').codeDescription.href, /diagnostics\.md#unknown-keyword$/);
    assert.deepEqual(byCode('speed-not-multiple-of-5').range, range('127', '-nota'));
    assert.equal(byCode('speed-not-multiple-of-5').severity, 2);
    const taken = byCode('signal-cell-taken');
    assert.equal(taken.severity, 1);
    assert.deepEqual(taken.range.start, at('10960', '10960'));
    const signRow = line.split('\n').findIndex((l) => l.includes('cartello_indicatore,  10950'));
    assert.equal(taken.relatedInformation[0].location.uri, lineUri);
    assert.equal(taken.relatedInformation[0].location.range.start.line, signRow);
    // The note shows in the line description too, leading back.
    const lineHints = published.get(lineUri).filter((d) => d.code === 'signal-cell-taken');
    assert.equal(lineHints.length, 1);
    assert.equal(lineHints[0].severity, 4);

    // Each quick fix is the mending its diagnostic carries, for that
    // diagnostic, at its field.
    const fixes = [
        [range('segnalle', 'segnalle'), 'unknown-keyword', 'segnale'],
        [range('127', '-nota'), 'speed-not-multiple-of-5', '125'],
    ];
    for (const [field, code, newText] of fixes) {
        const actions = await connection.sendRequest('textDocument/codeAction', {
            textDocument: { uri: trainUri }, range: field, context: { diagnostics: [] },
        });
        const title = `Replace \`${lines[field.start.line].slice(field.start.character, field.end.character)}\` ` +
            `with \`${newText}\``;
        assert.deepEqual(actions.map((a) => [a.title, a.kind, a.diagnostics.map((d) => d.code)]),
            [[title, 'quickfix', [code]]], code);
        assert.deepEqual(actions[0].edit.changes[trainUri], [{ range: field, newText }], code);
    }

    // A change of one keyword: the new set has no unknown keyword.
    diagnostics = bothPublished();
    connection.sendNotification('textDocument/didChange', {
        textDocument: { uri: trainUri, version: 2 },
        contentChanges: [{ range: range('segnalle', 'segnalle'), text: 'segnale' }],
    });
    await diagnostics;
    assert.deepEqual(published.get(trainUri).map((d) => d.code).sort(),
        ['signal-cell-taken', 'speed-not-multiple-of-5']);

    const hover = await connection.sendRequest('textDocument/hover',
        { textDocument: { uri: trainUri }, position: at('127', '-nota') });
    assert.match(hover.contents.value, /^\*\*velocita\*\*: line speed/);
    assert.match(hover.contents.value, /- speed: 127 km\/h, stored as 125 km\/h \(steps of 5\)/);
    assert.match(hover.contents.value, /- position: 1100 m \(km 1\.100, route cell 22\)/);
    assert.deepEqual(hover.range, range('127', '-nota'));

    const emptyRow = at('velocita', 'velocita,    4000');
    const completion = await connection.sendRequest('textDocument/completion',
        { textDocument: { uri: trainUri }, position: { line: emptyRow.line, character: 0 } });
    const speed = completion.items.find((i) => i.label === 'velocita');
    assert.equal(speed.textEdit.newText, 'velocita, ${1:position}, ${2:speed}');
    assert.deepEqual(completion.items.filter((i) => i.kind === 14).map((i) => i.label), ['velocita']);
    assert.ok(completion.items.some((i) => i.label === '[stazioni]'));

    const outline = await connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri: trainUri } });
    assert.deepEqual(outline.map((s) => s.name),
        ['[generale]', '[aderenze]', '[vel_limite]', '[stazioni]', '[rallentamenti]', '[segnali]', '[codici]', '[fine]']);
    const stations = outline.find((s) => s.name === '[stazioni]').children;
    assert.equal(stations[0].name, 'Brènzola');
    assert.equal(outline.find((s) => s.name === '[segnali]').children[0].name, 'signal at 1050 m');

    const definition = await connection.sendRequest('textDocument/definition',
        { textDocument: { uri: trainUri }, position: at('10960', '10960', 1) });
    assert.deepEqual(definition.map((l) => [l.uri, l.range.start.line]), [[lineUri, signRow]]);

    // The line description changed on disk, outside the editor: the sign
    // whose cell the signal took is gone, and so is the error.
    diagnostics = bothPublished();
    fs.writeFileSync(linePath, line.replace(/^cartello_indicatore,  10950,.*\n/m, ''), 'latin1');
    connection.sendNotification('workspace/didChangeWatchedFiles', { changes: [{ uri: lineUri, type: 2 }] });
    await diagnostics;
    assert.deepEqual(published.get(trainUri).map((d) => d.code), ['speed-not-multiple-of-5']);

    await assert.rejects(connection.sendRequest('textDocument/unknownThing', {}), { code: -32601 });
    await assert.rejects(connection.sendRequest('textDocument/hover', { textDocument: {} }), { code: -32602 });

    assert.equal(await connection.sendRequest('shutdown'), null);
    const ended = new Promise((resolve) => server.on('exit', resolve));
    connection.sendNotification('exit');
    assert.equal(await ended, 0);
    connection.dispose();
}

// Malformed input, written as bytes: each answered with the protocol's error,
// and the server still answers after it.
async function malformed() {
    const server = child_process.spawn(tool, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
    let output = '';
    server.stdout.on('data', (chunk) => { output += chunk.toString('utf8'); });
    const frame = (body) => `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
    server.stdin.write(frame('{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'));
    server.stdin.write(frame('{oops'));
    server.stdin.write('Content-Length: many\r\n\r\n');
    server.stdin.write(frame('[1,2]'));
    server.stdin.write(frame('{"jsonrpc":"2.0","id":2,"method":"shutdown"}'));
    server.stdin.write(frame('{"jsonrpc":"2.0","method":"exit"}'));
    const status = await new Promise((resolve) => server.on('exit', resolve));
    const bodies = output.split(/Content-Length: \d+\r\n\r\n/).filter(Boolean).map((b) => JSON.parse(b));
    assert.deepEqual(bodies.slice(1), [
        { jsonrpc: '2.0', id: null, error: { code: -32700, message: 'the message is not JSON' } },
        { jsonrpc: '2.0', id: null,
          error: { code: -32600, message: 'malformed message header: Content-Length is not a number' } },
        { jsonrpc: '2.0', id: null, error: { code: -32600, message: 'not a request' } },
        { jsonrpc: '2.0', id: 2, result: null },
    ]);
    assert.equal(status, 0);
}

protocol().then(malformed).then(() => console.log('lsp protocol: passed'), (failure) => {
    console.error(failure);
    process.exit(1);
});
