// The editor's side of scenario-tool's language server: starts `scenario-tool
// lsp` for the line and train descriptions, and starts it again when
// scenarioTool.path changes. Colouring comes from the grammars alone.
'use strict';
const vscode = require('vscode');
const { CloseAction, ErrorAction, LanguageClient, State } = require('vscode-languageclient/node');
const childProcess = require('node:child_process');
const path = require('node:path');
const {
    documentSelector,
    errorHandler,
    findTool,
    misreadMessage,
    missingToolMessage,
    serverCommand,
    startFailedMessage,
} = require('./server');

let output;
let client;
// Starts and stops run one after the other, however quickly the setting
// changes.
let queue = Promise.resolve();
// The start under way: a server that never answers would hold up the queue,
// so a change of the setting ends its process.
let starting;

function enqueue(step) {
    queue = queue.then(step).catch((error) => output.appendLine(`scenario-tool: ${error}`));
    return queue;
}

function complain(message) {
    output.appendLine(message);
    vscode.window.showErrorMessage(message, 'Open Settings').then((choice) => {
        if (choice) vscode.commands.executeCommand('workbench.action.openSettings', 'scenarioTool.path');
    });
}

async function start() {
    const setting = vscode.workspace.getConfiguration('scenarioTool').get('path');
    const folder = vscode.workspace.workspaceFolders?.[0]?.uri.fsPath;
    const tool = await findTool(setting, { folder });
    if (!tool) {
        complain(missingToolMessage(setting));
        return;
    }
    const attempt = { process: undefined, abandoned: false };
    starting = attempt;
    // The client takes the process as it is; spawned here, it can be ended
    // while the client is still waiting for its answer.
    const spawn = async () => {
        const { command, args } = serverCommand(tool);
        const server = childProcess.spawn(command, args, { cwd: folder });
        server.on('error', (error) => output.appendLine(`scenario-tool: ${command} lsp: ${error.message}`));
        server.on('exit', (code, signal) => output.appendLine(
            `scenario-tool: ${command} lsp ended ${signal ? `by signal ${signal}` : `with status ${code}`}`));
        attempt.process = server;
        return server;
    };
    let hasRun = false;
    try {
        const started = new LanguageClient('scenarioTool', 'Scenario tool', spawn, {
            documentSelector,
            outputChannel: output,
            initializationFailedHandler: () => false,
            errorHandler: errorHandler(() => hasRun, { ErrorAction, CloseAction }),
        });
        started.onDidChangeState((event) => {
            if (event.newState === State.Running) hasRun = true;
        });
        await started.start();
        // A server that exits while starting can leave the start resolved.
        if (!started.isRunning()) throw new Error('it exited while starting');
        client = { started, attempt };
    } catch (error) {
        if (!attempt.abandoned) complain(startFailedMessage(tool, error));
    } finally {
        if (starting === attempt) starting = undefined;
    }
}

function abandonStart() {
    if (!starting) return;
    starting.abandoned = true;
    starting.process?.kill();
}

async function stop() {
    const running = client;
    client = undefined;
    if (!running) return;
    await running.started.stop().catch((error) => output.appendLine(`scenario-tool: stopping: ${error}`));
    // Asked to exit, a server that does not is ended.
    const server = running.attempt.process;
    const ended = () => server.exitCode !== null || server.signalCode !== null;
    if (server && !ended()) setTimeout(() => ended() || server.kill(), 2000);
}

const warned = new Set();

function checkEncoding(document) {
    // Only a file on disk was read with an encoding the author can change.
    const ours = document.uri.scheme === 'file' &&
        documentSelector.some(({ language }) => language === document.languageId);
    const key = document.uri.toString();
    if (!ours || warned.has(key)) return;
    const message = misreadMessage(path.basename(document.fileName), document.getText());
    if (!message) return;
    warned.add(key);
    vscode.window.showWarningMessage(message, 'Reopen with Encoding').then(async (choice) => {
        if (!choice) return;
        await vscode.window.showTextDocument(document);
        await vscode.commands.executeCommand('workbench.action.editor.changeEncoding');
    });
}

function activate(context) {
    output = vscode.window.createOutputChannel('Scenario tool');
    context.subscriptions.push(
        output,
        vscode.workspace.onDidChangeConfiguration((event) => {
            if (!event.affectsConfiguration('scenarioTool.path')) return;
            abandonStart();
            enqueue(() => stop().then(start));
        }),
        vscode.workspace.onDidOpenTextDocument(checkEncoding),
        vscode.workspace.onDidCloseTextDocument((document) => warned.delete(document.uri.toString())),
    );
    vscode.workspace.textDocuments.forEach(checkEncoding);
    enqueue(start);
}

function deactivate() {
    abandonStart();
    return enqueue(stop);
}

module.exports = { activate, deactivate };
