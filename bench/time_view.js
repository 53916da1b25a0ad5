// Times scenario-tool on the largest scenario (a 1000000 m route): compile,
// view and plot as whole runs (medians), the size of the page, and how long
// headless Chromium takes from loading the page to its first view and to
// redraw a wheel-zoom step on the whole route (medians).
//   node bench/time_view.js [build folder] [runs]
// build folder: a build of the bench preset (default build/bench:
//   cmake --preset bench && cmake --build --preset bench), holding
//   scenario-tool and bench/max_scenario_descriptions;
// runs: timed runs of each (default 11).
// The page is timed when puppeteer-core is installed in
// build/test/tests/tool/browser (the test build) and Chromium is at
// $CHROMIUM or /usr/bin/chromium.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const { benchBuild, median, scratch } = require('./bench_build');
const { root, build, tool, writer } = benchBuild(process.argv[2]);
const runs = Number(process.argv[3] || 11);
const work = scratch('view');
function timed(args) {
    const times = [];
    for (let i = 0; i < runs; i++) {
        const start = process.hrtime.bigint();
        execFileSync(tool, args, { stdio: ['ignore', 'ignore', 'inherit'] });
        times.push(Number(process.hrtime.bigint() - start) / 1e6);
    }
    return median(times);
}

// The first view and a wheel step's redraw (to its pixels, and the page
// thread's time on the processor), medians; null without Chromium.
async function inChromium(page) {
    const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
    let puppeteer;
    try {
        puppeteer = require(path.join(root, 'build/test/tests/tool/browser/node_modules/puppeteer-core'));
    } catch {
        return null;
    }
    if (!fs.existsSync(chromium)) return null;
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'view-bench-profile-'));
    const browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        userDataDir: profile,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync'],
    });
    const { wheelStepTimes } = require(path.join(root, 'tests/tool/browser/redraw_timing.js'));
    const times = [];
    const steps = { painted: [], thread: [] };
    try {
        for (let i = 0; i < Math.min(runs, 7); i++) {
            const tab = await browser.newPage();
            await tab.setViewport({ width: 1500, height: 1300 });
            await tab.goto('file://' + page, { waitUntil: 'load' });
            await tab.waitForSelector('body[data-ready="true"]', { timeout: 30000 });
            times.push(await tab.evaluate(() => window.viewer.readyAtMs));
            const step = await wheelStepTimes(tab, 3);
            steps.painted.push(...step.painted);
            steps.thread.push(...step.thread);
            await tab.close();
        }
    } finally {
        await browser.close();
        fs.rmSync(profile, { recursive: true, force: true });
    }
    return { firstView: median(times), painted: median(steps.painted), thread: median(steps.thread), steps: steps.painted.length };
}

(async () => {
    try {
        execFileSync(writer, [work]);
        const line = path.join(work, 'max_line.txt');
        const train = path.join(work, 'max_train.txt');
        const out = path.join(work, 'out');
        fs.mkdirSync(out);
        const page = path.join(work, 'longest.html');
        const svg = path.join(work, 'longest.svg');
        const descriptions = ['--line', line, '--train', train];
        const compile = timed(['compile', ...descriptions, '--title', 'Valcorvina', '--train-code', 'IC 318', '--out', out]);
        const view = timed(['view', ...descriptions, '--out', page]);
        const plot = timed(['plot', ...descriptions, '--out', svg]);
        const compiledView = timed(['view', '--sim', path.join(out, 'Valcorvina_IC 318.sim'), '--dat',
            path.join(out, 'Valcorvina_IC 318.dat'), '--geometry', path.join(out, 'Valcorvina_linea.dat'), '--out', page + '.c.html']);
        const size = fs.statSync(page).size;
        const shown = await inChromium(page);
        console.log(`longest route, medians of ${runs} runs:`);
        console.log(`  compile                 ${compile.toFixed(1)} ms`);
        console.log(`  view (descriptions)     ${view.toFixed(1)} ms  (${(view / compile).toFixed(2)} x compile)`);
        console.log(`  view (compiled files)   ${compiledView.toFixed(1)} ms`);
        console.log(`  plot                    ${plot.toFixed(1)} ms  (SVG ${(fs.statSync(svg).size / 1e6).toFixed(2)} MB)`);
        console.log(`  page size               ${(size / 1e6).toFixed(2)} MB (${size} bytes)`);
        if (shown === null) {
            console.log('  first view              not measured (no Chromium or puppeteer-core)');
        } else {
            console.log(`  first view in Chromium  ${shown.firstView.toFixed(0)} ms after the page began loading`);
            console.log(`  wheel step, whole route ${shown.painted.toFixed(1)} ms to the pixels, ${shown.thread.toFixed(1)} ms ` +
                `of the page's thread on the processor (${shown.steps} steps)`);
        }
    } finally {
        fs.rmSync(work, { recursive: true, force: true });
    }
})();
