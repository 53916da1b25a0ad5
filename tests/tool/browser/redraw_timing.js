// How long a wheel-zoom step on the whole route takes the viewer page to
// redraw, for the browser test that reports it and for bench/time_view.js.
// The redraw ends when its pixels are there: a canvas records what a script
// draws and paints it later, so reading a pixel of every canvas makes the
// painting part of the time (and, before the step, leaves none of the last
// drawing's painting to it). On a busy machine the time on the clock says
// more about the other processes than about the page, so the time the
// page's thread spent on the processor is measured beside it.
'use strict';

// Milliseconds of each of `steps` wheel steps from the whole route, in a
// page that is open in `tab`: { script, painted, thread }, each a list.
async function wheelStepTimes(tab, steps) {
    await tab.evaluate(() => {
        const target = document.querySelector('#lane-speed .u-over');
        const r = target.getBoundingClientRect();
        const paint = () => document.querySelectorAll('canvas').forEach((c) => c.getContext('2d').getImageData(0, 0, 1, 1));
        window.redrawTiming = {
            whole() {
                window.viewer.zoomTo(0, window.viewer.data.route.extent);
                paint();
            },
            step() {
                const t0 = performance.now();
                target.dispatchEvent(new WheelEvent('wheel', { deltaY: -100, clientX: r.x + r.width / 2, clientY: r.y + r.height / 2,
                    bubbles: true, cancelable: true }));
                const script = performance.now() - t0;
                paint();
                return { script, painted: performance.now() - t0 };
            },
        };
    });
    const session = await tab.target().createCDPSession();
    await session.send('Performance.enable');
    const threadMs = async () => (await session.send('Performance.getMetrics')).metrics.find((m) => m.name === 'ThreadTime').value * 1000;
    const times = { script: [], painted: [], thread: [] };
    for (let i = 0; i < steps; i++) {
        await tab.evaluate(() => window.redrawTiming.whole());
        const before = await threadMs();
        const { script, painted } = await tab.evaluate(() => window.redrawTiming.step());
        times.thread.push((await threadMs()) - before);
        times.script.push(script);
        times.painted.push(painted);
    }
    await session.detach();
    return times;
}

module.exports = { wheelStepTimes };
