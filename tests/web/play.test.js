// The show on the real clock with Chromium's fake sound output: one click plays it, frames keep
// coming in every timeline window, and it ends by itself after 203 s; a second run is ended by
// Escape. Neither ends with a message.
'use strict';

const assert = require('node:assert');
const test = require('node:test');
const { site, serve, launchBrowser, openPage } = require('./harness');

// The timeline's windows in music seconds. The music starts with the first frame (to within
// the output latency); a second is left out at each edge for that.
const windows = [
  ['Schtar', 0, 16], ['Stekelz', 16, 52], ['Schtar', 52, 66.5], ['Polez', 66.5, 79.5],
  ['ZwartEnWit', 79.5, 105.5], ['Test', 105.5, 131.5], ['Wendo', 131.5, 157.25],
  ['Marble', 157.25, 203],
];
// Headless Chromium renders 12-28 frames a second here; a page that outruns the GPU stalls for
// tens of seconds instead.
const minimumFps = 3;
const longestPauseMs = 3000;

// A fresh page; `explain` rethrows a failed wait with what the program said.
async function openShowPage(browser, url) {
  const log = [];
  const page = await openPage(browser, url, log);
  const explain = (error) => { throw new Error(`${error.message}\n${log.join('\n')}`); };
  return { page, log, explain };
}

async function startShow(page, explain) {
  await page.waitForSelector('#play:not([disabled])', { timeout: 120000 });
  await page.evaluate(() => {
    const times = window.presentTimes = [];
    const told = Module.onPresent;
    Module.onPresent = () => { times.push(performance.now()); told(); };
  });
  await page.click('#play');
  await page.waitForFunction('window.vellomire.presents >= 5', { timeout: 120000 }).catch(explain);
}

async function assertEndedCleanly(page, log) {
  const end = await page.evaluate(() => window.vellomire);
  assert.strictEqual(end.exitStatus, 0, log.join('\n'));
  assert.strictEqual(end.message, null, log.join('\n'));
  assert.ok(await page.$eval('#end', (e) => !e.hidden));
}

test('the show in a browser tab', async (t) => {
  const server = await serve({ '/': site });
  const browser = await launchBrowser();
  t.after(async () => { await browser.close(); await server.close(); });

  await t.test('a click plays it through every window and it ends by itself', async (t) => {
    const { page, log, explain } = await openShowPage(browser, server.url);
    assert.strictEqual(await page.title(), 'Vellomire');
    await startShow(page, explain);
    assert.strictEqual(await page.evaluate(() => Module.audioContext.state), 'running');
    await page.waitForFunction('window.vellomire.ended', { timeout: 240000, polling: 1000 })
      .catch(explain);
    const run = await page.evaluate(() => ({
      times: window.presentTimes, click: window.vellomire.clickTime,
      first: window.vellomire.firstFrameTime, end: performance.now(),
    }));
    t.diagnostic(`click to first frame: ${(run.first - run.click).toFixed(0)} ms`);
    const music = run.times.map((time) => (time - run.first) / 1000);
    const report = windows.map(([name, start, end]) => {
      const count = music.filter((s) => s >= start + 1 && s < end - 1).length;
      return { name, start, fps: count / (end - start - 2) };
    });
    t.diagnostic(report.map((w) => `${w.name} ${w.fps.toFixed(1)}`).join(', ') + ' frames/s');
    for (const w of report) {
      assert.ok(w.fps >= minimumFps, `${w.name} at ${w.start} s: ${w.fps.toFixed(1)} frames/s`);
    }
    const pauses = run.times.slice(1).map((time, i) => [time - run.times[i], music[i]]);
    const [pause, at] = pauses.reduce((a, b) => (b[0] > a[0] ? b : a), [0, 0]);
    assert.ok(pause < longestPauseMs, `no frame for ${pause.toFixed(0)} ms after ${at.toFixed(1)} s`);
    const length = (run.end - run.first) / 1000;
    assert.ok(length >= 203 && length < 210, `ended after ${length.toFixed(1)} s`);
    await assertEndedCleanly(page, log);
  });

  await t.test('Escape ends it', async () => {
    const { page, log, explain } = await openShowPage(browser, server.url);
    await startShow(page, explain);
    await page.keyboard.press('Escape');
    await page.waitForFunction('window.vellomire.ended', { timeout: 60000 }).catch(explain);
    await assertEndedCleanly(page, log);
  });
});
