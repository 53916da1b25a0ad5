// The client: how it finds scenario-tool, and the bundled extension started
// against a stand-in for the editor's API, with stand-in tools that record how
// they were started.
//   VSIX=... node client_test.js   (NODE_PATH holding the extension's packages;
//                                   the bundle is read from the folder the
//                                   .vsix was packed from)
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const Module = require('node:module');
const server = require('../src/server');

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-vscode-'));
process.on('exit', () => fs.rmSync(scratch, { recursive: true, force: true }));

// A tool that adds its arguments to a file beside itself and exits with
// status 64, as a scenario-tool without the lsp command would.
function standInTool(folder, name = 'scenario-tool') {
    fs.mkdirSync(folder, { recursive: true });
    const file = path.join(folder, name);
    fs.writeFileSync(file, `#!/bin/sh\nprintf '%s\\n' "$@" >> "$0.args"\nexit 64\n`, { mode: 0o755 });
    return file;
}

// A language server that answers initialize (unless told not to) and
// shutdown, ends on exit, and adds each method it receives to a file beside
// itself.
function standInServer(folder, { answers = true } = {}) {
    fs.mkdirSync(folder, { recursive: true });
    const file = path.join(folder, 'scenario-tool');
    fs.writeFileSync(file, `#!${process.execPath}
const fs = require('fs');
let input = Buffer.alloc(0);
const reply = (id, result) => {
    const body = JSON.stringify({ jsonrpc: '2.0', id, result });
    process.stdout.write('Content-Length: ' + Buffer.byteLength(body) + '\\r\\n\\r\\n' + body);
};
process.stdin.on('data', (chunk) => {
    input = Buffer.concat([input, chunk]);
    for (;;) {
        const end = input.indexOf('\\r\\n\\r\\n');
        if (end < 0) return;
        const length = Number(/Content-Length: *(\\d+)/i.exec(input.subarray(0, end).toString())[1]);
        if (input.length < end + 4 + length) return;
        const message = JSON.parse(input.subarray(end + 4, end + 4 + length).toString());
        input = input.subarray(end + 4 + length);
        fs.appendFileSync(__filename + '.methods', message.method + '\\n');
        if (message.method === 'initialize' && ${answers}) reply(message.id, { capabilities: {} });
        if (message.method === 'shutdown') reply(message.id, null);
        if (message.method === 'exit') process.exit(0);
    }
});
`, { mode: 0o755 });
    return file;
}

async function findingTheTool() {
    const bin = path.join(scratch, 'bin');
    const tool = standInTool(bin);
    const other = standInTool(path.join(scratch, 'project', 'build'), 'scenario-tool');
    fs.writeFileSync(path.join(bin, 'not-executable'), '', { mode: 0o644 });
    const env = { PATH: [path.join(scratch, 'empty'), bin].join(path.delimiter) };
    const folder = path.join(scratch, 'project');
    const cases = [
        ['the default name on PATH', undefined, tool],
        ['an empty setting', '   ', tool],
        ['a name on PATH', 'scenario-tool', tool],
        ['a name not on PATH', 'scenario-tol', null],
        ['an absolute path', other, other],
        ['a path relative to the folder', 'build/scenario-tool', other],
        ['a path that is not executable', path.join(bin, 'not-executable'), null],
        ['a folder', bin, null],
        ['a missing file', path.join(bin, 'missing'), null],
    ];
    for (const [what, setting, expected] of cases)
        assert.equal(await server.findTool(setting, { folder, env }), expected, what);
    assert.equal(await server.findTool('build/scenario-tool', { env }), null, 'a relative path without a folder open');
    assert.equal(await server.findTool('scenario-tool', { folder, env: {} }), null, 'no PATH');
}

function theMessages() {
    assert.equal(server.misreadMessage('Valcorvina_linea.txt', 'stazione, 0, Localit\uFFFD'),
        'Valcorvina_linea.txt was read as UTF-8, not as Latin-1, so its accented letters show as \uFFFD and saving it ' +
        'would lose them. Reopen it with the encoding Western (ISO 8859-1).');
    assert.equal(server.misreadMessage('Valcorvina_linea.txt', 'stazione, 0, Località'), null);
    assert.equal(server.startFailedMessage('/opt/tool/scenario-tool', new Error('write EPIPE')),
        "scenario-tool: '/opt/tool/scenario-tool lsp' did not start (write EPIPE); the output \"Scenario tool\" shows " +
        'what it said. scenarioTool.path must name a scenario-tool that has the lsp command.');
    assert.equal(server.missingToolMessage(undefined),
        "scenario-tool: 'scenario-tool' is not found on PATH, so the descriptions are not checked as you type. " +
        'Set scenarioTool.path to the full path of scenario-tool.');
    assert.equal(server.missingToolMessage('/opt/tool/scenario-tool'),
        "scenario-tool: '/opt/tool/scenario-tool' is not an executable file, so the descriptions are not checked " +
        'as you type. Set scenarioTool.path to the full path of scenario-tool.');
}

// Just enough of the editor's API for the bundle to activate and start its
// client: the settings, the error messages shown and the output written are
// recorded; anything else is an inert object.
function editor(settings) {
    const inert = new Proxy(function () {}, {
        get: (_, key) => {
            if (key === 'then') return undefined;
            if (key === Symbol.iterator) return [][Symbol.iterator];
            if (key === Symbol.toPrimitive) return () => '';
            return inert;
        },
        apply: () => inert,
        construct: () => inert,
    });
    const seen = { errors: [], warnings: [], output: [], configurationListeners: [], openListeners: [] };
    const channel = { appendLine: (line) => seen.output.push(line), append: () => {}, show: () => {}, dispose: () => {} };
    // A message shown and left unanswered; a listener kept.
    const shown = (list) => (message) => list.push(message) && Promise.resolve(undefined);
    const kept = (list) => (listener) => list.push(listener) && { dispose: () => {} };
    const api = {
        version: '1.82.0',
        window: {
            createOutputChannel: () => channel,
            showErrorMessage: shown(seen.errors),
            showWarningMessage: shown(seen.warnings),
        },
        workspace: {
            workspaceFolders: undefined,
            getConfiguration: () => ({ get: (key, fallback) => settings[key] ?? fallback }),
            onDidChangeConfiguration: kept(seen.configurationListeners),
            textDocuments: settings.documents ?? [],
            onDidOpenTextDocument: kept(seen.openListeners),
        },
    };
    const vscode = new Proxy(api, {
        get: (target, key) => {
            if (!(key in target)) return inert;
            const part = target[key];
            return typeof part === 'object' ? new Proxy(part, { get: (p, k) => (k in p ? p[k] : inert) }) : part;
        },
    });
    return { vscode, seen };
}

function loadBundle(vscode) {
    const bundle = path.resolve(path.dirname(process.env.VSIX), 'extension', 'dist', 'extension.js');
    const load = Module._load;
    Module._load = function (request, ...rest) {
        return request === 'vscode' ? vscode : load.call(this, request, ...rest);
    };
    try {
        delete require.cache[bundle];
        return require(bundle);
    } finally {
        Module._load = load;
    }
}

async function until(condition) {
    for (let i = 0; i < 200 && !condition(); ++i) await new Promise((r) => setTimeout(r, 25));
}

async function startingTheServer() {
    const first = standInTool(path.join(scratch, 'first'));
    const second = standInTool(path.join(scratch, 'second'));
    // Two descriptions open before the extension, one of them read as UTF-8,
    // a plain text file and a description from git read so too: one
    // warning. Another description
    // read as UTF-8 opened later: a second one.
    const document = (fileName, languageId, text, scheme = 'file') =>
        ({ fileName, languageId, uri: { scheme, toString: () => `${scheme}://${fileName}` }, getText: () => text });
    const settings = {
        path: path.join(scratch, 'nowhere', 'scenario-tool'),
        documents: [
            document('/s/Valcorvina_linea.txt', 'scenario-line', 'stazione, 0, Localit\uFFFD'),
            document('/s/Valcorvina_IC 318-.txt', 'scenario-train', '[generale]'),
            document('/s/notes.txt', 'plaintext', 'Localit\uFFFD'),
            document('/s/Valcorvina_linea.txt', 'scenario-line', 'Localit\uFFFD', 'git'),
        ],
    };
    const { vscode, seen } = editor(settings);
    const extension = loadBundle(vscode);
    extension.activate({ subscriptions: [] });
    await until(() => seen.errors.length > 0);
    assert.deepEqual(seen.errors, [server.missingToolMessage(settings.path)], 'a missing tool is named with the setting');
    for (const listener of seen.openListeners) listener(document('/s/Other-.txt', 'scenario-train', '\uFFFD'));
    assert.deepEqual(seen.warnings, [server.misreadMessage('Valcorvina_linea.txt', '\uFFFD'),
        server.misreadMessage('Other-.txt', '\uFFFD')]);

    // Changing the setting starts the tool it names, once, with the one
    // argument "lsp"; a tool that exits at once is reported with the setting
    // (after the client's own message) and not started again.
    for (const tool of [first, second]) {
        const before = seen.errors.length;
        settings.path = tool;
        for (const listener of seen.configurationListeners)
            listener({ affectsConfiguration: (section) => section === 'scenarioTool.path' });
        const [head, tail] = server.startFailedMessage(tool, new Error('\0')).split('\0');
        const ours = (m) => m.startsWith(head) && m.endsWith(tail) && m.length > head.length + tail.length;
        await until(() => seen.errors.slice(before).some(ours));
        await new Promise((r) => setTimeout(r, 300));
        assert.equal(fs.readFileSync(`${tool}.args`, 'utf8'), 'lsp\n', `${tool} started once, with "lsp" alone`);
        // The reason is the client's, and depends on when the tool exits; the
        // client may say that it could not connect.
        const shown = seen.errors.slice(before);
        assert.equal(shown.filter(ours).length, 1, JSON.stringify(shown));
        const theirs = "Scenario tool client: couldn't create connection to server.";
        assert.deepEqual(shown.filter((m) => !ours(m) && m !== theirs), []);
        assert.ok(seen.output.includes(`scenario-tool: ${tool} lsp ended with status 64`), 'the status logged');
    }
    // A server that never answers is ended when the setting names another
    // tool; a server that answers runs until the setting names another tool:
    // then it is shut down and the other one started.
    const silent = standInServer(path.join(scratch, 'silent'), { answers: false });
    const live = [standInServer(path.join(scratch, 'live1')), standInServer(path.join(scratch, 'live2'))];
    const methods = (tool) => (fs.existsSync(`${tool}.methods`) ? fs.readFileSync(`${tool}.methods`, 'utf8') : '');
    const changeTo = (tool) => {
        settings.path = tool;
        for (const listener of seen.configurationListeners)
            listener({ affectsConfiguration: (section) => section === 'scenarioTool.path' });
    };
    const before = seen.errors.length;
    changeTo(silent);
    await until(() => methods(silent).includes('initialize'));
    changeTo(live[0]);
    await until(() => methods(live[0]).includes('initialized'));
    changeTo(live[1]);
    await until(() => methods(live[1]).includes('initialized') && methods(live[0]).includes('exit'));
    // The client tells a running server the trace setting again on every
    // change of the settings.
    assert.deepEqual([methods(silent), methods(live[0]), methods(live[1])],
        ['initialize\n', 'initialize\ninitialized\n$/setTrace\nshutdown\nexit\n', 'initialize\ninitialized\n']);
    // Only the client's own word on the start it could not finish.
    assert.deepEqual(seen.errors.slice(before), ["Scenario tool client: couldn't create connection to server."]);
    await extension.deactivate();
    await until(() => methods(live[1]).includes('exit'));
    assert.equal(methods(live[1]), 'initialize\ninitialized\nshutdown\nexit\n');

    // An unrelated setting starts nothing.
    fs.rmSync(`${second}.args`);
    for (const listener of seen.configurationListeners) listener({ affectsConfiguration: () => false });
    await new Promise((r) => setTimeout(r, 300));
    assert.equal(fs.existsSync(`${second}.args`), false, 'another setting changed');
}

// The editor's extension host logs a promise rejected and never handled
// (here: the client writing to a tool that has already exited) and carries
// on; so does this test.
process.on('unhandledRejection', () => {});

// Restarts: none before the server has once started; after that, a fifth
// stop within three minutes gives up, stops longer ago no longer count.
function restartingTheServer() {
    const actions = { ErrorAction: { Continue: 'continue', Shutdown: 'shutdown' },
        CloseAction: { DoNotRestart: 'stay stopped', Restart: 'restart' } };
    let hasRun = false;
    let clock = 0;
    const handler = server.errorHandler(() => hasRun, actions, () => clock);
    assert.deepEqual(handler.error(new Error('write EPIPE'), undefined, 1), { action: 'continue', handled: true });
    assert.deepEqual(handler.closed(), { action: 'stay stopped', handled: true });
    hasRun = true;
    assert.deepEqual([1, 3, 4].map((count) => handler.error(new Error('x'), undefined, count).action),
        ['continue', 'continue', 'shutdown']);
    const minute = 60 * 1000;
    const stops = [0, 1, 2, 2.9, 3.5, 3.6].map((at) => {
        clock = at * minute;
        return handler.closed();
    });
    assert.deepEqual(stops, [...Array(5).fill({ action: 'restart' }), {
        action: 'stay stopped',
        message: 'scenario-tool lsp stopped 5 times in three minutes and is not started again; the output ' +
            '"Scenario tool" tells why. Changing scenarioTool.path starts it again.',
    }]);
}

async function main() {
    theMessages();
    restartingTheServer();
    await findingTheTool();
    await startingTheServer();
    console.log('client: ok');
}

main().then(
    () => process.exit(0),
    (error) => {
        console.error(error);
        process.exit(1);
    },
);
