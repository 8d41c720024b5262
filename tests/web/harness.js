// Shared by the browser tests: a static file server on the loopback address, the show's
// timeline from the native capture tool, and headless Chromium or Firefox ESR (Debian's)
// driven by puppeteer-core (Firefox over WebDriver BiDi).
'use strict';

const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');
const { folderHandler } = require('../../web/site/serve-site');

const repo = path.resolve(__dirname, '../..');
const site = process.env.VELLOMIRE_WEB_SITE || path.join(repo, 'build-web/site');
// Screenshots the tests take, to look at.
const shots = path.join(repo, 'build-web/screenshots');
fs.mkdirSync(shots, { recursive: true });
const nativeCapture = process.env.VELLOMIRE_CAPTURE ||
  path.join(repo, 'build/tools/capture/vellomire-capture');

// The show's timeline windows as [scene, start, end] in music seconds. Where two overlap, the
// later one holds the time: a window ends where the next begins.
function timelineWindows() {
  const listing = execFileSync(nativeCapture, ['--list-windows'], { encoding: 'utf8' });
  const windows = listing.trim().split('\n').map((line) => {
    const [scene, start, end] = line.split(/\s+/);
    return [scene, Number(start), Number(end)];
  });
  return windows.map(([scene, start, end], i) =>
    [scene, start, Math.min(end, i + 1 < windows.length ? windows[i + 1][1] : end)]);
}

// Serves `mounts` ({'/': folder, '/ref/': folder}) on 127.0.0.1 as the site's own server does
// (compressed copies, cache headers); resolves to {url, close}.
// `failures` ({'.data': 1}) answers that many requests for paths ending so with a 404 first.
function serve(mounts, failures = {}) {
  const handle = folderHandler(mounts);
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost').pathname;
    const failing = Object.keys(failures).find((end) => url.endsWith(end) && failures[end] > 0);
    if (failing) {
      failures[failing] -= 1;
      response.writeHead(404).end();
      return;
    }
    handle(request, response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({
      url: `http://127.0.0.1:${server.address().port}/`,
      close: () => new Promise((done) => server.close(done)),
    }));
  });
}

// The engines the tests run in: VELLOMIRE_BROWSERS=chromium,firefox (both by default).
const engines = (process.env.VELLOMIRE_BROWSERS || 'chromium,firefox').split(',');

// A virtual X display of its own (Xvfb); resolves to {display, stop}.
function virtualDisplay() {
  const server = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1080x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  return new Promise((resolve, reject) => {
    let told = '';
    server.on('error', reject);
    server.stdio[3].on('data', (data) => {
      told += data;
      if (told.includes('\n')) {
        resolve({ display: `:${told.trim()}`, stop: () => server.kill() });
      }
    });
  });
}

// Headless Chromium with WebGL 2 through SwiftShader, or Firefox with its software WebGL 2
// (Mesa's llvmpipe) on a virtual display of its own, as its headless mode has no WebGL; each
// with a fresh profile and no network of its own. Without a sound device each plays into an
// output that keeps real time.
async function launchBrowser(engine = 'chromium') {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `vellomire-${engine}-`));
  const common = { userDataDir: profile, protocolTimeout: 600000 };
  let display = null;
  let browser;
  if (engine === 'firefox') {
    display = await virtualDisplay();
    browser = await puppeteer.launch({
      ...common,
      browser: 'firefox',
      headless: false,
      executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
      env: { ...process.env, DISPLAY: display.display, WAYLAND_DISPLAY: '' },
      args: ['--width=800', '--height=600'],
      // Sound may start without a gesture the page did not get from a person; with no sound
      // device, a stand-in output (cubeb's mock context) keeps real time.
      extraPrefsFirefox: {
        'webgl.force-enabled': true, 'media.autoplay.default': 0,
        'media.autoplay.block-webaudio': false, 'media.cubeb.force_mock_context': true,
      },
    });
  } else {
    browser = await puppeteer.launch({
      ...common,
      headless: true,
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      args: ['--headless', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
        '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--no-first-run', '--window-size=800,600'],
    });
  }
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    if (display) display.stop();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Opens the page and keeps its console, so a failing test shows what the program said.
// `before` runs in the page ahead of its own scripts.
async function openPage(browser, url, log, before) {
  const page = await browser.newPage();
  page.on('console', (message) => log.push(message.text()));
  page.on('pageerror', (error) => log.push(`page error: ${error.message}`));
  if (before) await page.evaluateOnNewDocument(before);
  await page.goto(url);
  return page;
}

module.exports = {
  repo, site, shots, nativeCapture, timelineWindows, engines, serve, launchBrowser, openPage,
};
