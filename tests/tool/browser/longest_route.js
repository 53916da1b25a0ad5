// The longest route the reader takes (1000000 m), busy along its whole
// length, for timing the page's redraws: a curve every 2 km, a gradient
// change every kilometre, spans, speed boards every 10 km, a signal every
// kilometre, 75 stations and 18 slowdowns. Every point item has a cell of
// its own (signals at 1000 j + 50, boards at 10000 k + 3450, stations at
// 13500 k + 500, slowdowns at 54000 k + 25500).
'use strict';

const rows = (lines) => lines.map((l) => l + '\r\n').join('');

function longestLine() {
    const lines = ['[generale]', 'lunghezza percorso,    1000000',
        'progressiva chilometrica uno,    500000,    -1000,    0',
        'progressiva chilometrica due,    800000,    2000,    1',
        'progressiva chilometrica tre,    0,    0,    0', 'sfondo uno,    1', 'sfondo due,    0', 'sfondo tre,    0',
        'ripetizione segnali 4 codici,    2100,    990050', '[curve]'];
    for (let k = 0; k < 499; k++) {
        lines.push(`curva${k % 2 === 0 ? 's' : 'd'}${1 + (k % 6)},  ${2000 * k + 700},  ${300 + 100 * (k % 10)}`);
    }
    lines.push('[pendenze]');
    for (let p = 0; p <= 1000000; p += 1000) lines.push(`pendenza,  ${p},   ${((p / 1000) % 25) - 12}`);
    lines.push('[montagne]');
    for (let k = 0; k < 8; k++) {
        const start = 120000 * k + 40000;
        lines.push(`montagna,   ${start},  ${start + 5000},  ${k % 2 === 0 ? 11 : 12}`);
    }
    lines.push('[cartelli]', 'cartello_indicatore,  7400,   (Cippo )(  Km  )(7+400)',
        'cartello_indicatore,  307400,   (Galleria Monte Alto)', 'cartello_indicatore,  607400,   (Bivio Sud)',
        '[indicazioni]');
    for (let k = 0; k < 100; k++) lines.push(`indicatori_vmax,  ${10000 * k + 3450},  105,  110,  125,  ${k % 3},  ,  ,  ,  0`);
    lines.push('[fine]');
    return rows(lines);
}

function longestTrain() {
    const lines = ['[generale]', 'numero vetture,    13', 'percentuale massa frenata,    130', 'sabbia,    200',
        'orologio,    6              0            0 ', '[aderenze]'];
    for (let p = 0; p < 1000000; p += 50000) lines.push(`aderenza,  ${p},    ${75 + ((p / 50000) % 22)}`);
    lines.push('[vel_limite]');
    for (let p = 0; p < 1000000; p += 20000) lines.push(`velocita,  ${p},    ${p === 0 ? 30 : 100 + ((p / 20000) % 13) * 5}`);
    lines.push('[stazioni]', 'stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  6, 0, 0, Capolinea');
    for (let k = 1; k < 75; k++) {
        const s = 6 * 3600 + 600 * k;
        lines.push(`stazione,  ${13500 * k + 500}, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,  ${Math.floor(s / 3600)},` +
            `${Math.floor(s / 60) % 60}, 0, Fermata ${k}`);
    }
    lines.push('[rallentamenti]');
    for (let k = 0; k < 18; k++) {
        lines.push(`rallentamento,  ${54000 * k + 25500},    ${k % 2 === 0 ? '60,  500' : '105, 1100'}, 0,  1,  ${k % 2 === 0 ? 60 : 0}`);
    }
    lines.push('[segnali]');
    for (let j = 1; j < 1000; j++) lines.push(`segnale,  ${1000 * j + 50},   2, 4, 1,  1, 0,    2,  2,1,1, 0`);
    lines.push('segnale,  1000050,   2, 2, 3,  1, 0,    0,  0,0,0, 245', '[codici]', '[fine]', '');
    return rows(lines);
}

module.exports = { longestLine, longestTrain };
