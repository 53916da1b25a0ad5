// Lays out the extension for packaging in an empty folder: the manifest, the
// language configuration, the grammars and the README as they are; the client
// bundled with the packages it uses into dist/extension.js (so the package
// holds no node_modules); and the licences of those packages in
// THIRD_PARTY_NOTICES.txt.
//   node build.js --modules DIR --out FOLDER
'use strict';
const fs = require('fs');
const path = require('path');

function argument(name) {
    const i = process.argv.indexOf(name);
    if (i < 0 || i + 1 >= process.argv.length) throw new Error(`missing ${name}`);
    return process.argv[i + 1];
}

const here = __dirname;
const modules = path.resolve(argument('--modules'));
const out = path.resolve(argument('--out'));
const esbuild = require(path.join(modules, 'esbuild'));

// The folder of each package that a bundled file comes from.
function bundledPackages(metafile) {
    const folders = new Set();
    for (const input of Object.keys(metafile.inputs)) {
        const match = /^(.*node_modules[\\/](?:@[^\\/]+[\\/])?[^\\/]+)[\\/]/.exec(path.resolve(input));
        if (match) folders.add(match[1]);
    }
    return [...folders].sort();
}

function notice(folder) {
    const manifest = JSON.parse(fs.readFileSync(path.join(folder, 'package.json'), 'utf8'));
    const licence = fs.readdirSync(folder).find((name) => /^licen[cs]e/i.test(name));
    if (!licence) throw new Error(`${manifest.name} has no licence file to put in the notices`);
    const text = fs.readFileSync(path.join(folder, licence), 'utf8').trim();
    return `${manifest.name} ${manifest.version} (${manifest.license})\n\n${text}\n`;
}

async function main() {
    fs.rmSync(out, { recursive: true, force: true });
    fs.mkdirSync(path.join(out, 'syntaxes'), { recursive: true });
    for (const file of ['package.json', 'language-configuration.json', 'README.md'])
        fs.copyFileSync(path.join(here, file), path.join(out, file));
    for (const grammar of fs.readdirSync(path.join(here, 'syntaxes')).filter((name) => name.endsWith('.tmLanguage.json')))
        fs.copyFileSync(path.join(here, 'syntaxes', grammar), path.join(out, 'syntaxes', grammar));

    // Whitespace and syntax are minified, names kept, so that a stack trace
    // in the editor's log still reads.
    const result = await esbuild.build({
        entryPoints: [path.join(here, 'src', 'extension.js')],
        outfile: path.join(out, 'dist', 'extension.js'),
        bundle: true,
        platform: 'node',
        format: 'cjs',
        target: 'node18',
        external: ['vscode'],
        nodePaths: [modules],
        minifyWhitespace: true,
        minifySyntax: true,
        metafile: true,
        logLevel: 'warning',
    });
    const notices = bundledPackages(result.metafile).map(notice);
    fs.writeFileSync(path.join(out, 'THIRD_PARTY_NOTICES.txt'),
        `The client in dist/extension.js holds these packages:\n\n${notices.join('\n' + '-'.repeat(72) + '\n\n')}`);
}

main().catch((error) => {
    console.error(`build.js: ${error.message}`);
    process.exit(1);
});
