// On the capture host's virtual clock the browser build renders the show's frames at chosen
// music times, one in each timeline window; each must match the native capture of the same
// frame within 30 dB PSNR, in each browser engine, at 640 x 480 and with the page's "sharp"
// choice at the canvas's size.
'use strict';

const assert = require('node:assert');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');
const {
  site, nativeCapture, timelineWindows, engines, serve, launchBrowser, openPage,
} = require('./harness');

// Ten frames a second keeps the frames before each chosen one quick to run; every time is a
// whole frame, so both builds take the same frame for it.
const fps = 10;
const frames = timelineWindows().map(([, start, end]) => Math.round((start + end) / 2 * fps));
const times = frames.map((frame) => frame / fps);
// "sharp" on a 4:3 canvas of this size renders at it.
const sharpSize = [960, 720];

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

// The native capture tool's frames at `size`, into a fresh folder.
function nativeFrames(t, size) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vellomire-native-'));
  t.after(() => fs.rmSync(folder, { recursive: true, force: true }));
  execFileSync(nativeCapture, ['--fps', String(fps), '--at', times.join(','), '--size',
    size.join('x'), '--out', folder],
  { env: { ...process.env, SDL_VIDEODRIVER: 'offscreen', SDL_AUDIODRIVER: 'dummy' },
    stdio: ['ignore', 'ignore', 'inherit'] });
  return folder;
}

const runs = engines.flatMap((engine) => [
  { engine, size: [640, 480], query: '' },
  { engine, size: sharpSize, query: '&sharp=1' },
]);

test('every timeline window renders in the browser as it does natively', async (t) => {
  const references = Object.fromEntries(runs.map(({ size }) => [size.join('x'), null]));
  for (const size of Object.keys(references)) {
    references[size] = nativeFrames(t, size.split('x').map(Number));
  }
  const server = await serve({ '/': site, '/ref/': references['640x480'],
    '/sharp/': references[sharpSize.join('x')] });
  t.after(() => server.close());

  for (const { engine, size, query } of runs) {
    await t.test(`${engine} at ${size.join(' x ')}`, async (t) => {
      const browser = await launchBrowser(engine);
      t.after(() => browser.close());
      const log = [];
      const page = await openPage(browser, 'about:blank', log);
      await page.setViewport({ width: size[0], height: size[1] });
      await page.goto(`${server.url}?fps=${fps}&frames=${frames.join(',')}${query}`);
      await page.waitForFunction('window.vellomire.ended', { timeout: 540000, polling: 500 })
        .catch((error) => { throw new Error(`${error.message}\n${log.join('\n')}`); });

      const got = await page.evaluate(() => window.vellomire.frames.map((f) => f.frame));
      assert.deepStrictEqual(got, frames, log.join('\n'));
      const folder = query ? '/sharp/' : '/ref/';
      for (const [i, frame] of frames.entries()) {
        const name = `frame-${String(frame).padStart(6, '0')}.png`;
        const psnr = await page.evaluate(
          (index, url, measure) => eval(`(${measure})`)(window.vellomire.frames[index], url),
          i, `${folder}${name}`, psnrInPage.toString());
        t.diagnostic(`${times[i]} s (frame ${frame}): ${psnr.toFixed(1)} dB`);
        assert.ok(psnr >= 30, `${times[i]} s: ${psnr.toFixed(1)} dB against the native ${name}`);
      }
    });
  }
});
