// Retakes the README's screenshots of the viewer from the pages the browser
// tests make (run `node viewer_test.js pages` first):
//   NODE_PATH=BUILD/tests/tool/browser/node_modules node readme_screenshots.js PAGES DOCS
// docs/viewer.png (the whole route), docs/viewer-details.png (the first five
// kilometres, a signal's details pinned), docs/viewer-phone.png (390 x 844).
'use strict';
const path = require('path');
const puppeteer = require('puppeteer-core');

const [pages, docs] = process.argv.slice(2);
if (!pages || !docs) throw new Error('usage: node readme_screenshots.js PAGES DOCS');

(async () => {
    const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
        args: ['--no-sandbox'] });
    const open = async (viewport, hash = '') => {
        const tab = await browser.newPage();
        await tab.setViewport(viewport);
        await tab.goto('file://' + path.resolve(pages, 'described.html') + hash);
        await tab.waitForSelector('body[data-ready="true"]');
        return tab;
    };
    try {
        let tab = await open({ width: 1400, height: 900 });
        await tab.screenshot({ path: path.join(docs, 'viewer.png') });
        tab = await open({ width: 1400, height: 900 }, '#km=0-5');
        const id = await tab.evaluate(() => window.viewer.drawn('signal').sort((a, b) => a.at - b.at)[0].id);
        const at = await tab.evaluate((i) => window.viewer.markOf(i), id);
        await tab.mouse.click(at.x, at.y);
        await tab.screenshot({ path: path.join(docs, 'viewer-details.png') });
        tab = await open({ width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 2 }, '#km=12-14');
        await tab.screenshot({ path: path.join(docs, 'viewer-phone.png') });
    } finally {
        await browser.close();
    }
})();
