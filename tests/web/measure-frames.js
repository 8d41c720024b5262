// The show on the real clock in a headless browser, measured per timeline window: frames per
// second, and processor time per frame of all the browser's processes (user and system, every
// thread), as `vellomire-capture --benchmark` reports them for the native program.
//
//   node tests/web/measure-frames.js [chromium|firefox] [WIDTHxHEIGHT] [sharp]
//
// The page fills a viewport of that size (1280x720 by default); "sharp" renders at it rather
// than at 640 x 480. The site is VELLOMIRE_WEB_SITE's, else build-web/site.
'use strict';

const fs = require('node:fs');
const { site, timelineWindows, serve, launchBrowser, openPage } = require('./harness');

// What a browser process does, from its command line: Chromium's --type (and a utility's
// service), Firefox's content process kind; the browser's own process otherwise.
function processKind(pid) {
  let args;
  try {
    // Chromium rewrites its children's command lines as one string with spaces.
    args = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split(/[\0 ]/).filter(Boolean);
  } catch {
    return 'ended';
  }
  const option = (name) => (args.find((a) => a.startsWith(`--${name}=`)) || '').split('=')[1];
  const type = option('type');
  if (type) return type === 'utility' ? `utility ${option('utility-sub-type') || ''}`.trim() : type;
  return args.includes('-contentproc') ? `content ${args[args.length - 1]}` : 'browser';
}

// Processor seconds of a process and all its descendants, from /proc, in all and by kind.
function treeSeconds(root) {
  const ticks = 100; // USER_HZ on Linux
  const children = new Map();
  const own = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    let stat;
    try {
      stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
    } catch {
      continue; // ended meanwhile
    }
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    const parent = Number(fields[1]);
    if (!children.has(parent)) children.set(parent, []);
    children.get(parent).push(Number(name));
    // utime, stime, and those of children already waited for.
    own.set(Number(name), [11, 12, 13, 14].reduce((sum, i) => sum + Number(fields[i]), 0));
  }
  const kinds = {};
  let total = 0;
  const pending = [root];
  while (pending.length) {
    const pid = pending.pop();
    const seconds = (own.get(pid) || 0) / ticks;
    const kind = processKind(pid);
    kinds[kind] = (kinds[kind] || 0) + seconds;
    total += seconds;
    pending.push(...(children.get(pid) || []));
  }
  return { total, kinds };
}

async function main() {
  const engine = process.argv[2] || 'chromium';
  const [width, height] = (process.argv[3] || '1280x720').split('x').map(Number);
  const sharp = process.argv[4] === 'sharp';
  const windows = timelineWindows();
  const server = await serve({ '/': site });
  const browser = await launchBrowser(engine);
  try {
    const log = [];
    const page = await openPage(browser, 'about:blank', log);
    await page.setViewport({ width, height });
    await page.goto(`${server.url}${sharp ? '?sharp=1' : ''}`);
    await page.waitForSelector('#play:not([disabled])', { timeout: 120000 });
    const pid = browser.process().pid;
    const samples = [];
    await page.click('#play');
    while (!(await page.evaluate(() => window.vellomire.ended))) {
      const { total: seconds, kinds } = treeSeconds(pid);
      const { presents, first, now } = await page.evaluate(() => ({
        presents: window.vellomire.presents, first: window.vellomire.firstFrameTime,
        now: performance.now(),
      }));
      if (presents > 0) samples.push({ music: (now - first) / 1000, presents, seconds, kinds });
      await new Promise((resolve) => setTimeout(resolve, 250));
    }
    const lead = await page.evaluate(() => Module.audioLead || null);
    // The samples nearest each window's edges.
    const at = (time) => samples.reduce((a, b) => (Math.abs(b.music - time) < Math.abs(a.music - time) ? b : a));
    console.log(`${engine} at ${width} x ${height}${sharp ? ', sharp' : ''}, per timeline window:`);
    console.log('  scene          window   frames     fps   cpu ms');
    const rows = [...windows, ['all', 0, windows[windows.length - 1][2]]];
    for (const [scene, start, end] of rows) {
      const a = at(start);
      const b = at(end);
      const frames = b.presents - a.presents;
      const line = [scene.padEnd(10), `${start.toFixed(1).padStart(6)} - ${end.toFixed(1).padStart(5)}`,
        String(frames).padStart(8), (frames / (b.music - a.music)).toFixed(1).padStart(7),
        (1000 * (b.seconds - a.seconds) / frames).toFixed(1).padStart(8)];
      console.log(`  ${line.join(' ')}`);
    }
    const first = samples[0];
    const last = samples[samples.length - 1];
    const frames = last.presents - first.presents;
    const split = Object.keys(last.kinds).map((kind) =>
      `${kind} ${(1000 * (last.kinds[kind] - (first.kinds[kind] || 0)) / frames).toFixed(1)}`);
    console.log(`processor ms per frame by process: ${split.join(', ')}`);
    if (lead) {
      console.log(`music clock ahead of what is heard: ${lead.mean.toFixed(2)} ± ` +
        `${lead.deviation.toFixed(2)} ms over ${lead.count} blocks`);
    }
  } finally {
    await browser.close();
    await server.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
