// The TextMate grammars of the two descriptions, tokenised as VS Code does
// (vscode-textmate with the Oniguruma regular expressions). Each table is a
// description, line by line, with the tokens expected on the lines that carry
// an expectation: every token of the line that is not blank, with its
// innermost scope (meta scopes and the language suffix left out).
//
// With SOURCE_DIR, the rows of the embedded scenario are tokenised too.
//
//   SOURCE_DIR=... node grammar_test.js   (NODE_PATH holding vscode-textmate and vscode-oniguruma)
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const oniguruma = require('vscode-oniguruma');
const textmate = require('vscode-textmate');

const syntaxes = path.join(__dirname, '..', 'syntaxes');

const token = (scope) => (text) => [scope, text];
const num = token('constant.numeric.integer');
const sep = ['punctuation.separator.comma', ','];
const general = token('keyword.other.general');
const item = token('keyword.other.item');
const keyword = token('keyword.other');
const hyphen = token('comment.line.hyphen');
const stray = token('comment.line.stray');
const plain = token('');
const station = token('string.unquoted.station-name');
const header = (name) => [
    ['punctuation.definition.section.begin', '['],
    ['entity.name.section', name],
    ['punctuation.definition.section.end', ']'],
];
const lettering = (...rows) =>
    rows.flatMap((row) => [
        ['punctuation.definition.lettering.begin', '('],
        ['string.unquoted.lettering', row],
        ['punctuation.definition.lettering.end', ')'],
    ]);
// Numbers separated by commas, as most rows carry them.
const numbers = (...values) => values.flatMap((v) => [sep, num(v)]);

const lineDescription = [
    ['[generale]', header('generale')],
    ['lunghezza percorso,    218000', [general('lunghezza percorso'), ...numbers('218000')]],
    ['Lunghezza PERCORSO,  20000', [general('Lunghezza PERCORSO'), ...numbers('20000')]],
    ['progressiva chilometrica uno,    180350,    -180350,    0',
        [general('progressiva chilometrica uno'), ...numbers('180350', '-180350', '0')]],
    ['progressiva chilometrica due,    194700,    -16400,    0',
        [general('progressiva chilometrica due'), ...numbers('194700', '-16400', '0')]],
    ['progressiva chilometrica tre,    0,    0,    0', [general('progressiva chilometrica tre'), ...numbers('0', '0', '0')]],
    // The general keywords but the route length keep their letter case.
    ['Progressiva chilometrica uno,    0,    0,    0', [plain('Progressiva chilometrica uno'), ...numbers('0', '0', '0')]],
    ['sfondo uno,    1', [general('sfondo uno'), ...numbers('1')]],
    ['sfondo due,    0', [general('sfondo due'), ...numbers('0')]],
    ['sfondo tre,    0', [general('sfondo tre'), ...numbers('0')]],
    ['ripetizione segnali 4 codici,    2100,    211050',
        [general('ripetizione segnali 4 codici'), ...numbers('2100', '211050')]],
    ['ripetizione segnali 9 codici,    0,    0', [general('ripetizione segnali 9 codici'), ...numbers('0', '0')]],
    ['ripetizione segnali codici,    0,    0', [plain('ripetizione segnali codici'), ...numbers('0', '0')]],
    // An item keyword is not read in the general section.
    ['pendenza,  0,  0', [plain('pendenza'), ...numbers('0', '0')]],
    ['------ lunghezza ------', [hyphen('------ lunghezza ------')]],
    ['Sfondi scelti a mano', [stray('Sfondi scelti a mano')]],
    ['[curve]', header('curve')],
    ['curvas1,  1350,  150', [item('curvas1'), ...numbers('1350', '150')]],
    ['CURVAD3,  2700,  50', [item('CURVAD3'), ...numbers('2700', '50')]],
    ['curva 2 s,  4400,  510', [item('curva 2 s'), ...numbers('4400', '510')]],
    ['curvad7,  6200,  1290', [plain('curvad7'), ...numbers('6200', '1290')]],
    // A general keyword is not read among the items.
    ['lunghezza percorso,  20000', [plain('lunghezza percorso'), ...numbers('20000')]],
    ['[pendenze]', header('pendenze')],
    ['pendenza,  0,   0', [item('pendenza'), ...numbers('0', '0')]],
    ['pendenza,  1250,   -4,5', [item('pendenza'), ...numbers('1250', '-4', '5')]],
    ['PENDENZA,  1300,   12', [item('PENDENZA'), ...numbers('1300', '12')]],
    ['-- pendenza,  1400,   4', [hyphen('-- pendenza'), ...numbers('1400', '4')]],
    ['[montagne]', header('montagne')],
    ['montagna,   10950,  11000,  1', [item('montagna'), ...numbers('10950', '11000', '1')]],
    ['[cartelli]', header('cartelli')],
    ['indicatori_vmax,  1000,  100, 80, 60, 0, , , , 0',
        [item('indicatori_vmax'), ...numbers('1000', '100', '80', '60', '0'), sep, sep, sep, ...numbers('0')]],
    ['[indicazioni]', header('indicazioni')],
    ['cartello_indicatore,  10950,   (Cippo )(  Km  )(11+000)',
        [item('cartello_indicatore'), ...numbers('10950'), sep, ...lettering('Cippo ', '  Km  ', '11+000')]],
    ['cartello_indicatore,  79900,   (Culmine)',
        [item('cartello_indicatore'), ...numbers('79900'), sep, ...lettering('Culmine')]],
    ['Cartello Indicatore,  80000,   Galleria 2',
        [item('Cartello Indicatore'), ...numbers('80000'), sep, ['string.unquoted.lettering', 'Galleria 2']]],
    ['cartello_indicatore,  81000,   "Bivio, Nord"', [item('cartello_indicatore'), ...numbers('81000'), sep,
        ['string.quoted.double', '"Bivio, Nord"']]],
    ['cartello-indicatore,  10950,   (A)', [hyphen('cartello-indicatore'), ...numbers('10950'), sep, plain('(A)')]],
    ['[fine]', header('fine')],
];

const trainDescription = [
    ['[generale]', header('generale')],
    ['numero vetture,    13', [keyword('numero vetture'), ...numbers('13')]],
    ['percentuale massa frenata,    130', [keyword('percentuale massa frenata'), ...numbers('130')]],
    ['percentuale massa,    130', [plain('percentuale massa'), ...numbers('130')]],
    ['sabbia,    200', [keyword('sabbia'), ...numbers('200')]],
    ['orologio,    15              47            30 ', [keyword('orologio'), sep, num('15'), num('47'), num('30')]],
    ['[aderenze]', header('aderenze')],
    ['aderenza,   0,    90', [keyword('aderenza'), ...numbers('0', '90')]],
    ['[vel_limite]', header('vel_limite')],
    ['velocita,   0,    30', [keyword('velocita'), ...numbers('0', '30')]],
    ['VELOCITÀ,  212100,    30', [keyword('VELOCITÀ'), ...numbers('212100', '30')]],
    ['[stazioni]', header('stazioni')],
    ['stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  15,47,30, Località',
        [keyword('stazione'),
            ...numbers('0', '8', '500', '1', '0', '0', '4', '1', '0', '2', '1', '1', '1', '15', '47', '30'),
            sep, station('Località')]],
    ['Cardevola-Scarpella', [hyphen('Cardevola-Scarpella')]],
    ['Stazione,  128450, 12,  500,  0, 0, 1,  1,1,0,  4,1,1,   60,  16,47,15, Torre d\'Alvina-Sud',
        [keyword('Stazione'),
            ...numbers('128450', '12', '500', '0', '0', '1', '1', '1', '0', '4', '1', '1', '60', '16', '47', '15'),
            sep, station('Torre d\'Alvina-Sud')]],
    ['Ponte Sellaro', [stray('Ponte Sellaro')]],
    ['[rallentamenti]', header('rallentamenti')],
    ['rallentamento,   13500,    60,  500, 0,  1,  60',
        [keyword('rallentamento'), ...numbers('13500', '60', '500', '0', '1', '60')]],
    ['abbattimento,   5000,    -1', [keyword('abbattimento'), ...numbers('5000', '-1')]],
    ['[segnali]', header('segnali')],
    ['segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0',
        [keyword('segnale'), ...numbers('1050', '2', '4', '1', '1', '0', '2', '2', '1', '1', '0')]],
    ['segnale-,    1100,   2', [hyphen('segnale-'), ...numbers('1100', '2')]],
    // A header that holds a keyword is read as that keyword.
    ['[segnale]', [keyword('[segnale]')]],
    ['[fine]', header('fine')],
];

// The innermost scope of a token, without the language suffix; meta scopes
// only group and are left out.
function innermost(scopes, language) {
    const own = scopes.slice(1).filter((s) => !s.startsWith('meta.'));
    const last = own.length ? own[own.length - 1] : '';
    return last.endsWith(`.${language}`) ? last.slice(0, -language.length - 1) : last;
}

function tokenise(grammar, language, lines) {
    let state = textmate.INITIAL;
    return lines.map((line) => {
        const result = grammar.tokenizeLine(line, state);
        state = result.ruleStack;
        return result.tokens
            .map((t, i) => {
                const end = i + 1 < result.tokens.length ? result.tokens[i + 1].startIndex : line.length;
                return [innermost(t.scopes, language), line.slice(t.startIndex, end)];
            })
            .filter(([scope, text]) => text.trim() !== '' || scope !== '')
            .map(([scope, text]) => [scope, scope === '' ? text.trim() : text]);
    });
}

async function loadRegistry() {
    const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
    await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
    return new textmate.Registry({
        onigLib: Promise.resolve({
            createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
            createOnigString: (text) => new oniguruma.OnigString(text),
        }),
        loadGrammar: async (scopeName) => {
            const file = path.join(syntaxes, `${scopeName.replace(/^source\./, '')}.tmLanguage.json`);
            return textmate.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
        },
    });
}

// Every row of the embedded scenario begins with a keyword, a section header
// or a comment, and every field of it is coloured.
function embeddedScenario(grammar, language, file) {
    const lines = fs.readFileSync(file, 'latin1').split(/\r?\n/).filter((line) => line.trim() !== '');
    const wrong = [];
    tokenise(grammar, language, lines).forEach((tokens, i) => {
        const [first] = tokens[0];
        const opening = /^(keyword\.other|comment\.line\.hyphen$|punctuation\.definition\.section\.begin$)/.test(first);
        if (!opening || tokens.some(([scope]) => scope === '')) wrong.push(`${lines[i]}: ${JSON.stringify(tokens)}`);
    });
    return wrong;
}

async function main() {
    const registry = await loadRegistry();
    const embedded = { 'scenario-line': 'line.txt', 'scenario-train': 'train.txt' };
    let failures = 0;
    for (const [language, table] of [['scenario-line', lineDescription], ['scenario-train', trainDescription]]) {
        const grammar = await registry.loadGrammar(`source.${language}`);
        const tokens = tokenise(grammar, language, table.map(([line]) => line));
        table.forEach(([line, expected], i) => {
            try {
                assert.deepEqual(tokens[i], expected);
            } catch (e) {
                failures += 1;
                console.error(`${language} line ${i + 1}: ${JSON.stringify(line)}`);
                console.error(`  expected ${JSON.stringify(expected)}`);
                console.error(`  got      ${JSON.stringify(tokens[i])}`);
            }
        });
        if (process.env.SOURCE_DIR) {
            const file = path.join(process.env.SOURCE_DIR, 'src', 'description', 'scenario', embedded[language]);
            const wrong = embeddedScenario(grammar, language, file);
            for (const line of wrong) console.error(`${file}: ${line}`);
            failures += wrong.length;
        }
        console.log(`${language}: ${table.length} lines tokenised`);
    }
    if (failures) {
        console.error(`${failures} lines tokenised otherwise than expected`);
        process.exit(1);
    }
}

main().catch((e) => {
    console.error(e);
    process.exit(1);
});
