// How the extension finds and starts scenario-tool's language server, kept
// apart from the editor's API so that it runs under plain node in the tests.
'use strict';
const os = require('node:os');
const path = require('node:path');
const which = require('which');

// Both descriptions, saved or not yet saved.
const documentSelector = ['scenario-line', 'scenario-train'].flatMap((language) =>
    ['file', 'untitled'].map((scheme) => ({ scheme, language })));

// `TOOL lsp`, speaking over its standard input and output.
function serverCommand(tool) {
    return { command: tool, args: ['lsp'] };
}

function isPath(name) {
    return name.includes('/') || name.includes(path.sep);
}

// The executable that the setting names: a name is looked up on PATH; a path
// may begin with "~" and may be relative to the workspace's first folder.
// Resolves to its absolute path, or to null when there is none.
async function findTool(setting, { folder, env = process.env } = {}) {
    let name = String(setting ?? '').trim() || 'scenario-tool';
    if (name === '~' || name.startsWith('~/') || name.startsWith(`~${path.sep}`))
        name = path.join(os.homedir(), name.slice(1));
    if (isPath(name) && !path.isAbsolute(name)) {
        if (!folder) return null;
        name = path.resolve(folder, name);
    }
    return which(name, { nothrow: true, path: env.PATH ?? '', pathExt: env.PATHEXT });
}

function missingToolMessage(setting) {
    const name = String(setting ?? '').trim() || 'scenario-tool';
    const where = isPath(name) ? 'is not an executable file' : 'is not found on PATH';
    return `scenario-tool: '${name}' ${where}, so the descriptions are not checked as you type. ` +
        'Set scenarioTool.path to the full path of scenario-tool.';
}

function startFailedMessage(tool, error) {
    const reason = error instanceof Error ? error.message : String(error);
    return `scenario-tool: '${tool} lsp' did not start (${reason}); the output "Scenario tool" shows what it said. ` +
        'scenarioTool.path must name a scenario-tool that has the lsp command.';
}

// A description read as UTF-8 shows each accented letter, a single Latin-1
// byte, as U+FFFD; saved so, the letters would be lost. VS Code does that to a
// file it opens before the extension has told it the file's encoding (one
// opened with the window, or restored).
function misreadMessage(fileName, text) {
    if (!text.includes('\uFFFD')) return null;
    return `${fileName} was read as UTF-8, not as Latin-1, so its accented letters show as \uFFFD and saving it ` +
        'would lose them. Reopen it with the encoding Western (ISO 8859-1).';
}

const restartWindow = 3 * 60 * 1000;

// How the client takes a failing connection. Until the server has once
// started, a failure is the extension's to report, once, and nothing is
// started again: a tool without the lsp command would fail each time. After
// that, a server that stops is started again, up to four times in three
// minutes, as the client would do by itself.
function errorHandler(hasRun, { ErrorAction, CloseAction }, now = Date.now) {
    const stops = [];
    return {
        error(_error, _message, count) {
            // Stopping a client that is still starting fails; the closing
            // connection ends the start anyway.
            if (!hasRun()) return { action: ErrorAction.Continue, handled: true };
            return { action: count && count <= 3 ? ErrorAction.Continue : ErrorAction.Shutdown };
        },
        closed() {
            if (!hasRun()) return { action: CloseAction.DoNotRestart, handled: true };
            const at = now();
            stops.push(at);
            while (at - stops[0] > restartWindow) stops.shift();
            if (stops.length <= 4) return { action: CloseAction.Restart };
            return {
                action: CloseAction.DoNotRestart,
                message: `scenario-tool lsp stopped ${stops.length} times in three minutes and is not started again; ` +
                    'the output "Scenario tool" tells why. Changing scenarioTool.path starts it again.',
            };
        },
    };
}

module.exports = {
    documentSelector,
    serverCommand,
    findTool,
    missingToolMessage,
    startFailedMessage,
    errorHandler,
    misreadMessage,
};
