// Shared by the browser tests: a static file server on the loopback address and headless
// Chromium (Debian's) driven by puppeteer-core.
'use strict';

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

// Headless Chromium with WebGL 2 through SwiftShader, a fresh profile, no network of its own.
// Without a sound device Chromium plays into a fake output that keeps real time.
async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vellomire-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    protocolTimeout: 600000,
    args: ['--headless', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run', '--window-size=800,600'],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
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

module.exports = { repo, site, shots, nativeCapture, serve, launchBrowser, openPage };
