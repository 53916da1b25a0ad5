// The editor's side of scenario-tool's language server: starts `scenario-tool
// lsp` for the line and train descriptions, and starts it again when
// scenarioTool.path changes. Colouring comes from the grammars alone.
'use strict';
const vscode = require('vscode');
const { CloseAction, ErrorAction, LanguageClient, State } = require('vscode-languageclient/node');
const path = require('node:path');
const {
    documentSelector,
    errorHandler,
    findTool,
    misreadMessage,
    missingToolMessage,
    serverOptions,
    startFailedMessage,
} = require('./server');

let output;
let client;
// Starts and stops run one after the other, however quickly the setting
// changes.
let queue = Promise.resolve();

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
    let hasRun = false;
    try {
        const started = new LanguageClient('scenarioTool', 'Scenario tool', serverOptions(tool), {
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
        client = started;
    } catch (error) {
        complain(startFailedMessage(tool, error));
    }
}

async function stop() {
    const running = client;
    client = undefined;
    if (running) await running.stop().catch((error) => output.appendLine(`scenario-tool: stopping: ${error}`));
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
            if (event.affectsConfiguration('scenarioTool.path')) enqueue(() => stop().then(start));
        }),
        vscode.workspace.onDidOpenTextDocument(checkEncoding),
        vscode.workspace.onDidCloseTextDocument((document) => warned.delete(document.uri.toString())),
    );
    vscode.workspace.textDocuments.forEach(checkEncoding);
    enqueue(start);
}

function deactivate() {
    return enqueue(stop);
}

module.exports = { activate, deactivate };
