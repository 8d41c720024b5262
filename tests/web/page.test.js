// The page before and around the show: it offers Play only when the browser has what the show
// needs and otherwise says what is missing; downloads show progress and a failed one names the
// file and can be retried; a failure after the click ends on the program's message box. The
// site is sent compressed, its files named by content, with a favicon.
'use strict';

const assert = require('node:assert');
const path = require('node:path');
const test = require('node:test');
const { site, shots, serve, launchBrowser, openPage } = require('./harness');

// Each takes one thing away from the page before its scripts run.
const withoutFeature = [
  ['WebGL 2', () => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
      return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest);
    };
  }],
  ['Web Audio', () => { delete window.AudioContext; delete window.webkitAudioContext; }],
  ['WebAssembly', () => { delete window.WebAssembly; }],
];

// The program's own canvas gets no WebGL 2, the page's check still does.
function noContextForTheProgram() {
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    return this.id === 'canvas' ? null : getContext.call(this, kind, ...rest);
  };
}

// Keeps every text the Play button shows while loading.
function recordPlayTexts() {
  window.playTexts = [];
  new MutationObserver(() => {
    const play = document.getElementById('play');
    if (play) window.playTexts.push(play.textContent);
  }).observe(document, { subtree: true, childList: true, characterData: true });
}

test('the page', async (t) => {
  const failures = {};
  const server = await serve({ '/': site }, failures);
  const browser = await launchBrowser();
  t.after(async () => { await browser.close(); await server.close(); });
  const visible = (page, selector) => page.$eval(selector, (e) => !e.hidden);

  await t.test('says what is missing instead of offering Play', async () => {
    for (const [feature, takeAway] of withoutFeature) {
      const page = await openPage(browser, server.url, [], takeAway);
      assert.ok(await visible(page, '#unsupported'), feature);
      assert.ok(!(await visible(page, '#start')), feature);
      const text = await page.$eval('#missing', (e) => e.textContent);
      assert.ok(text.includes(feature) && !/WebGL 2|Web Audio|WebAssembly/.test(
        text.replace(feature, '')), `${feature}: ${text}`);
      await page.screenshot({ path: path.join(shots, `without-${feature.replace(/ /g, '')}.png`) });
      await page.close();
    }
  });

  await t.test('shows progress, names a failed download and retries it', async () => {
    failures['.data'] = 1;
    const log = [];
    const page = await openPage(browser, server.url, log, recordPlayTexts);
    await page.waitForSelector('#retry:not([hidden])', { timeout: 60000 });
    const status = await page.$eval('#status', (e) => e.textContent);
    assert.match(status, /vellomire[.\w]*\.data: 404/);
    assert.ok(!status.includes('.wasm'), status);
    await page.screenshot({ path: path.join(shots, 'failed-download.png') });
    await page.click('#retry');
    await page.waitForSelector('#play:not([disabled])', { timeout: 120000 });
    const texts = await page.evaluate(() => window.playTexts);
    assert.ok(texts.some((text) => /^Loading… \d+ %$/.test(text)), texts.join(' | '));
    assert.ok(!(await visible(page, '#retry')));
    assert.strictEqual(await page.$eval('#status', (e) => e.textContent), '', log.join('\n'));
    await page.close();
  });

  await t.test('a failure after the click ends on the message, not on the end', async () => {
    const log = [];
    const page = await openPage(browser, server.url, log, noContextForTheProgram);
    await page.waitForSelector('#play:not([disabled])', { timeout: 120000 });
    await page.click('#play');
    await page.waitForFunction('window.vellomire.ended', { timeout: 60000 });
    assert.strictEqual(await page.$eval('#box-caption', (e) => e.textContent),
      'Tried to create a rendering device.', log.join('\n'));
    assert.ok(!(await visible(page, '#end')));
    await page.screenshot({ path: path.join(shots, 'failed-start.png') });
    await page.click('#box-ok');
    assert.ok(await visible(page, '#end'));
    assert.doesNotMatch(await page.$eval('#end', (e) => e.textContent), /The show has ended/);
  });

  await t.test('the site goes out compressed, named by content, with a favicon', async () => {
    const page = await browser.newPage();
    const responses = [];
    page.on('response', (response) => responses.push(response));
    await page.goto(server.url);
    await page.waitForSelector('#play:not([disabled])', { timeout: 120000 });
    await page.evaluate(() => fetch('favicon.ico'));
    const sent = responses.map((r) => ({ url: new URL(r.url()).pathname, status: r.status(),
      encoding: r.headers()['content-encoding'], cache: r.headers()['cache-control'] }));
    const report = JSON.stringify(sent, null, 1);
    assert.ok(sent.every((r) => r.status === 200), report);
    for (const kind of ['wasm', 'data', 'js', 'css']) {
      const file = sent.find((r) => new RegExp(`^/(vellomire|page)\\.[0-9a-f]{10}\\.${kind}$`).test(r.url));
      assert.ok(file && file.encoding === 'br' && /immutable/.test(file.cache), `${kind}: ${report}`);
    }
    assert.ok(sent.some((r) => r.url === '/favicon.ico'), report);
    await page.close();
  });
});
