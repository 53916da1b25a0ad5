// VS Code itself, as code-server serves it, in headless Chromium: the
// extension installed from the .vsix, a scenario folder with one mistake (a
// second roadside sign in the route cell of the first), the line description
// opened, and, once the error is shown, the editor's view of it with its note
// (Go to Next Problem) saved as a screenshot. Without a diagnostic within the
// time allowed it still saves what the editor shows, says so and fails.
//
//
// Taken by hand, not in CI, whenever the extension's look changes; the README
// shows docs/vscode-diagnostic.png, made with (as root for apt-get):
//   apt-get install g++ make python3 libkrb5-dev ripgrep pngquant
//   editors/vscode/test/screenshot/setup.sh /work/codeserver   (once: code-server and puppeteer-core)
//   cmake --build --preset test --target scenario_tool vscode_extension
//   node editors/vscode/test/screenshot.js --modules /work/codeserver/node_modules
//        --vsix build/test/editors/vscode/scenario-tool-1.0.0.vsix
//        --tool build/test/scenario-tool --out shot.png [--timeout SECONDS]
//   pngquant --quality=70-90 --speed 1 --output docs/vscode-diagnostic.png --force shot.png
// Look at the picture before committing it: the squiggle under the second
// sign's metres, the message with its name, and the note below it.
'use strict';
const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const source = path.resolve(__dirname, '..', '..', '..');
const chromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'];

function options() {
    const named = { timeout: '60' };
    const args = process.argv.slice(2);
    for (let i = 0; i < args.length; i += 2) {
        if (!args[i].startsWith('--') || i + 1 >= args.length) throw new Error(`expected --NAME VALUE, not ${args[i]}`);
        named[args[i].slice(2)] = args[i + 1];
    }
    for (const name of ['modules', 'vsix', 'tool', 'out'])
        if (!named[name]) throw new Error(`--${name} is required`);
    return named;
}

// The embedded scenario as an author's folder holds it: Latin-1, CR LF, an
// accented station name, and a sign at 10960 m in the route cell of the
// sign at 10950 m.
function scenarioFolder(folder) {
    fs.mkdirSync(folder, { recursive: true });
    const read = (name) => fs.readFileSync(path.join(source, 'src', 'description', 'scenario', name), 'latin1')
        .split('\n');
    const line = read('line.txt');
    const first = line.indexOf('cartello_indicatore,  10950,   (Cippo )(  Km  )(11+000)');
    if (first < 0) throw new Error('the embedded line has no sign at 10950 m');
    line.splice(first + 1, 0, 'cartello_indicatore,  10960,   (Bivio)');
    const train = read('train.txt').map((row) => row.replace(/, Brenzola$/, ', Località'));
    const lineFile = path.join(folder, 'Valcorvina_linea.txt');
    fs.writeFileSync(lineFile, Buffer.from(line.join('\r\n'), 'latin1'));
    fs.writeFileSync(path.join(folder, 'Valcorvina_IC 318-.txt'), Buffer.from(train.join('\r\n'), 'latin1'));
    return lineFile;
}

function userSettings(dataDir, tool) {
    fs.mkdirSync(path.join(dataDir, 'User'), { recursive: true });
    const settings = {
        'workbench.startupEditor': 'none',
        'workbench.colorTheme': 'Default Light Modern',
        'workbench.tips.enabled': false,
        'telemetry.telemetryLevel': 'off',
        'update.mode': 'none',
        'extensions.autoCheckUpdates': false,
        'extensions.autoUpdate': false,
        'security.workspace.trust.enabled': false,
        // Room for the whole message and its note on one line each.
        'editor.minimap.enabled': false,
        // Nothing drawn over the squiggle or above the rows.
        'editor.occurrencesHighlight': 'off',
        'editor.selectionHighlight': false,
        'editor.stickyScroll.enabled': false,
        'scenarioTool.path': path.resolve(tool),
        // VS Code reads the first description of a window before it applies
        // the extension's default encoding; the user's own setting holds
        // from the start.
        '[scenario-line]': { 'files.encoding': 'iso88591' },
        '[scenario-train]': { 'files.encoding': 'iso88591' },
    };
    fs.writeFileSync(path.join(dataDir, 'User', 'settings.json'), JSON.stringify(settings, null, 2));
}

// code-server with its folders in the scratch folder; resolves to its address.
function startCodeServer(codeServer, env, dirs, folder) {
    const args = ['--auth', 'none', '--bind-addr', '127.0.0.1:0', '--disable-telemetry', '--disable-update-check',
        '--disable-workspace-trust', '--user-data-dir', dirs.data, '--extensions-dir', dirs.extensions, folder];
    // Its own process group, so that its helpers end with it.
    const server = childProcess.spawn(codeServer, args, { env, detached: true, stdio: ['ignore', 'pipe', 'pipe'] });
    let log = '';
    const address = new Promise((resolve, reject) => {
        const seen = (chunk) => {
            log += chunk;
            const match = /HTTP server listening on (http:\/\/127\.0\.0\.1:\d+)\//.exec(log);
            if (match) resolve(match[1]);
        };
        server.stdout.on('data', seen);
        server.stderr.on('data', seen);
        server.on('exit', (code) => reject(new Error(`code-server ended (status ${code}) before it listened:\n${log}`)));
        setTimeout(() => reject(new Error(`code-server did not listen within 60 s:\n${log}`)), 60000).unref();
    });
    // Awaited later; a failure before then is not an unhandled one.
    address.catch(() => {});
    return { server, address };
}

function stopCodeServer(server) {
    const ended = new Promise((resolve) => {
        if (server.exitCode !== null || server.signalCode !== null) return resolve();
        server.once('exit', resolve);
        setTimeout(resolve, 5000).unref();
    });
    try {
        process.kill(-server.pid, 'SIGTERM');
    } catch {
        // The whole group has ended already.
    }
    return ended;
}

async function openFile(page, name) {
    await page.waitForSelector('.explorer-folders-view .monaco-list-row', { timeout: 90000 });
    for (const row of await page.$$('.explorer-folders-view .monaco-list-row')) {
        if ((await row.evaluate((e) => e.textContent)).includes(name)) {
            await row.click();
            await page.waitForSelector('.monaco-editor .view-lines', { timeout: 30000 });
            return;
        }
    }
    throw new Error(`the explorer does not show ${name}`);
}

// The status bar's problem count, once it counts an error.
async function waitForAnError(page, seconds) {
    try {
        await page.waitForFunction(() => {
            const label = document.getElementById('status.problems')?.getAttribute('aria-label') ?? '';
            return /Errors?: [1-9]/.test(label);
        }, { timeout: seconds * 1000, polling: 250 });
        return true;
    } catch {
        return false;
    }
}

async function screenshot(opts, dirs) {
    const puppeteer = require(path.join(path.resolve(opts.modules), 'puppeteer-core'));
    const codeServer = path.join(path.resolve(opts.modules), '.bin', 'code-server');
    const env = { ...process.env, XDG_CONFIG_HOME: dirs.home, XDG_DATA_HOME: dirs.home };
    const folder = path.join(dirs.root, 'Valcorvina');
    const lineFile = scenarioFolder(folder);
    userSettings(dirs.data, opts.tool);

    const installed = childProcess.spawnSync(codeServer, ['--user-data-dir', dirs.data, '--extensions-dir', dirs.extensions,
        '--install-extension', path.resolve(opts.vsix)], { env, encoding: 'utf8' });
    if (installed.status !== 0 || !/successfully installed/.test(installed.stdout))
        throw new Error(`installing ${opts.vsix} failed:\n${installed.stdout}${installed.stderr}`);

    const { server, address } = startCodeServer(codeServer, env, dirs, folder);
    const browser = await puppeteer.launch({ executablePath: opts.chromium ?? '/usr/bin/chromium', headless: true,
        args: [...chromiumFlags, '--window-size=1920,720'] });
    try {
        const page = await browser.newPage();
        await page.setViewport({ width: 1920, height: 720 });
        await page.goto(`${await address}/?folder=${encodeURIComponent(folder)}`, { waitUntil: 'domcontentloaded' });
        await openFile(page, path.basename(lineFile));
        const shown = await waitForAnError(page, Number(opts.timeout));
        if (shown) {
            // Go to Next Problem: the error at its row, with its note.
            await page.click('.monaco-editor .view-lines');
            await page.keyboard.press('F8');
            await page.waitForSelector('.marker-widget', { visible: true, timeout: 10000 });
        }
        await page.screenshot({ path: opts.out });
        if (!shown) {
            console.error(`screenshot.js: no error was shown within ${opts.timeout} s (is '${opts.tool} lsp' there?); ` +
                `the editor as it was is in ${opts.out}`);
            return 1;
        }
        console.log(`screenshot.js: ${opts.out}`);
        return 0;
    } finally {
        await browser.close();
        await stopCodeServer(server);
    }
}

async function main() {
    const opts = options();
    const root = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-vscode-screenshot-'));
    const dirs = { root, data: path.join(root, 'data'), extensions: path.join(root, 'extensions'),
        home: path.join(root, 'home') };
    try {
        return await screenshot(opts, dirs);
    } finally {
        fs.rmSync(root, { recursive: true, force: true });
    }
}

main().then(
    (status) => process.exit(status),
    (error) => {
        console.error(`screenshot.js: ${error.message}`);
        process.exit(1);
    },
);
