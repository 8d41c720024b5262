// On the capture host's virtual clock the browser build renders the show's frames at chosen
// music times, one in each timeline window; each must match the native capture of the same
// frame within 30 dB PSNR.
'use strict';

const assert = require('node:assert');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');
const { site, nativeCapture, serve, launchBrowser, openPage } = require('./harness');

// Ten frames a second keeps the frames before each chosen one quick to run; every time is a
// whole frame, so both builds take the same frame for it.
const fps = 10;
const times = [6.5, 32.5, 59.2, 73, 92.5, 118.5, 144.4, 180];

// PSNR over R, G, B of a captured frame against a PNG the page loads (99 when identical);
// runs in the page.
async function psnrInPage(frame, url) {
  const image = new Image();
  image.src = url;
  await image.decode();
  const canvas = document.createElement('canvas');
  canvas.width = image.width;
  canvas.height = image.height;
  const context = canvas.getContext('2d');
  context.drawImage(image, 0, 0);
  if (image.width !== frame.width || image.height !== frame.height) return -1;
  const reference = context.getImageData(0, 0, image.width, image.height).data;
  let sum = 0;
  for (let i = 0, j = 0; i < frame.rgb.length; i += 3, j += 4) {
    for (let c = 0; c < 3; ++c) sum += (frame.rgb[i + c] - reference[j + c]) ** 2;
  }
  const mse = sum / frame.rgb.length;
  return mse === 0 ? 99 : 10 * Math.log10((255 * 255) / mse);
}

test('every timeline window renders in the browser as it does natively', async (t) => {
  const references = fs.mkdtempSync(path.join(os.tmpdir(), 'vellomire-native-'));
  t.after(() => fs.rmSync(references, { recursive: true, force: true }));
  const frames = times.map((seconds) => Math.round(seconds * fps));
  execFileSync(nativeCapture, ['--fps', String(fps), '--at', times.join(','), '--out', references],
    { env: { ...process.env, SDL_VIDEODRIVER: 'offscreen', SDL_AUDIODRIVER: 'dummy' },
      stdio: ['ignore', 'ignore', 'inherit'] });

  const server = await serve({ '/': site, '/ref/': references });
  const browser = await launchBrowser();
  t.after(async () => { await browser.close(); await server.close(); });
  const log = [];
  const page = await openPage(browser, `${server.url}?fps=${fps}&frames=${frames.join(',')}`, log);
  await page.waitForFunction('window.vellomire.ended', { timeout: 540000, polling: 500 })
    .catch((error) => { throw new Error(`${error.message}\n${log.join('\n')}`); });

  const got = await page.evaluate(() => window.vellomire.frames.map((f) => f.frame));
  assert.deepStrictEqual(got, frames, log.join('\n'));
  for (const [i, frame] of frames.entries()) {
    await t.test(`${times[i]} s`, async () => {
      const name = `frame-${String(frame).padStart(6, '0')}.png`;
      const psnr = await page.evaluate(
        (index, url, measure) => eval(`(${measure})`)(window.vellomire.frames[index], url),
        i, `/ref/${name}`, psnrInPage.toString());
      t.diagnostic(`${times[i]} s (frame ${frame}): ${psnr.toFixed(1)} dB`);
      assert.ok(psnr >= 30, `${times[i]} s: ${psnr.toFixed(1)} dB against the native ${name}`);
    });
  }
});
