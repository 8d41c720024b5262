// The show on the real clock with Chromium's fake sound output: one click starts it, frames
// keep coming, Escape ends it without a message.
'use strict';

const assert = require('node:assert');
const test = require('node:test');
const { site, serve, launchBrowser, openPage } = require('./harness');

test('a click plays the show, frames advance, Escape ends it', async (t) => {
  const server = await serve({ '/': site });
  const browser = await launchBrowser();
  t.after(async () => { await browser.close(); await server.close(); });
  const log = [];
  const page = await openPage(browser, server.url, log);
  const explain = (error) => { throw new Error(`${error.message}\n${log.join('\n')}`); };

  await page.waitForSelector('#play:not([disabled])', { timeout: 120000 });
  assert.strictEqual(await page.title(), 'Vellomire');
  await page.click('#play');
  await page.waitForFunction('window.vellomire.presents >= 5', { timeout: 120000 }).catch(explain);
  const first = await page.evaluate(() => window.vellomire.presents);
  await page.waitForFunction((n) => window.vellomire.presents >= n + 5, { timeout: 60000 }, first)
    .catch(explain);
  const state = await page.evaluate(() => ({
    clickToFirstFrame: window.vellomire.firstFrameTime - window.vellomire.clickTime,
    audio: Module.audioContext.state,
  }));
  t.diagnostic(`click to first frame: ${state.clickToFirstFrame.toFixed(0)} ms`);
  assert.strictEqual(state.audio, 'running');

  await page.keyboard.press('Escape');
  await page.waitForFunction('window.vellomire.ended', { timeout: 60000 }).catch(explain);
  const end = await page.evaluate(() => window.vellomire);
  assert.strictEqual(end.exitStatus, 0, log.join('\n'));
  assert.strictEqual(end.message, null, log.join('\n'));
  assert.ok(await page.$eval('#end', (e) => !e.hidden));
});
