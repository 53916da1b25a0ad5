// The .vsix that the build packs: exactly the manifest, the grammars, the
// language configuration, the README, the notices and the bundled client,
// byte for byte as in the source where they are copied, and no node_modules.
//   VSIX=.../scenario-tool-1.0.0.vsix node package_test.js   (NODE_PATH holding yauzl)
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const yauzl = require('yauzl');

const source = path.join(__dirname, '..');

// Every file of the package, by name, with its bytes.
function readPackage(file) {
    return new Promise((resolve, reject) => {
        yauzl.open(file, { lazyEntries: true }, (error, zip) => {
            if (error) return reject(error);
            const files = new Map();
            zip.on('error', reject);
            zip.on('end', () => resolve(files));
            zip.on('entry', (entry) => {
                if (entry.fileName.endsWith('/')) return zip.readEntry();
                zip.openReadStream(entry, (failed, stream) => {
                    if (failed) return reject(failed);
                    const chunks = [];
                    stream.on('data', (chunk) => chunks.push(chunk));
                    stream.on('end', () => {
                        files.set(entry.fileName, Buffer.concat(chunks));
                        zip.readEntry();
                    });
                });
            });
            zip.readEntry();
        });
    });
}

async function main() {
    const vsix = process.env.VSIX;
    assert.ok(vsix && fs.existsSync(vsix), `the package ${vsix} is built`);
    const files = await readPackage(vsix);
    const manifest = JSON.parse(fs.readFileSync(path.join(source, 'package.json'), 'utf8'));
    assert.equal(path.basename(vsix), `scenario-tool-${manifest.version}.vsix`);

    assert.deepEqual([...files.keys()].sort(), [
        '[Content_Types].xml',
        'extension.vsixmanifest',
        'extension/THIRD_PARTY_NOTICES.txt',
        'extension/dist/extension.js',
        'extension/language-configuration.json',
        'extension/package.json',
        'extension/readme.md',
        'extension/syntaxes/scenario-line.tmLanguage.json',
        'extension/syntaxes/scenario-train.tmLanguage.json',
    ]);
    for (const [packed, original] of [
        ['extension/package.json', 'package.json'],
        ['extension/language-configuration.json', 'language-configuration.json'],
        ['extension/readme.md', 'README.md'],
        ['extension/syntaxes/scenario-line.tmLanguage.json', 'syntaxes/scenario-line.tmLanguage.json'],
        ['extension/syntaxes/scenario-train.tmLanguage.json', 'syntaxes/scenario-train.tmLanguage.json'],
    ])
        assert.ok(files.get(packed).equals(fs.readFileSync(path.join(source, original))), `${packed} as in the source`);

    // What the editor reads first: the identity, the version and the entry.
    const vsixManifest = files.get('extension.vsixmanifest').toString();
    assert.match(vsixManifest, new RegExp(`<Identity [^>]*Id="scenario-tool" Version="${manifest.version}"[^>]*` +
        `Publisher="${manifest.publisher}"`));
    assert.equal(manifest.main, './dist/extension.js');

    // The client is one file that needs nothing but the editor's API and
    // node's own modules: every package it uses is inside it.
    const client = files.get('extension/dist/extension.js').toString();
    const required = new Set([...client.matchAll(/\brequire\(["']([^"']+)["']\)/g)].map((m) => m[1]));
    const outside = [...required].filter((name) => name !== 'vscode' && !require('node:module').isBuiltin(name));
    assert.deepEqual(outside, []);
    const notices = files.get('extension/THIRD_PARTY_NOTICES.txt').toString();
    for (const bundled of ['vscode-languageclient', 'vscode-jsonrpc', 'vscode-languageserver-protocol', 'which'])
        assert.match(notices, new RegExp(`^${bundled} \\d+\\.\\d+\\.\\d+ \\(`, 'm'), `the notice of ${bundled}`);
    console.log(`package: ${files.size} files, ${fs.statSync(vsix).size} bytes`);
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
