// Makes the web site from the page, the program's files and the logo:
//   node pack-site.js PAGE_DIR PROGRAM_DIR LOGO_BMP SITE_DIR
// The program's files and the page's script and style are named by their content
// (vellomire.0123456789.wasm), so a browser's cached copy never meets a newer partner; only
// index.html keeps its name and names the others. Each large file gets a brotli (.br) and a
// gzip (.gz) copy beside it for a server to send as is. favicon.ico is the logo's V.
'use strict';

const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');

const [pageDir, programDir, logoBmp, siteDir] = process.argv.slice(2);
if (!siteDir) {
  console.error('usage: node pack-site.js PAGE_DIR PROGRAM_DIR LOGO_BMP SITE_DIR');
  process.exit(2);
}

// Smaller files gain too little from compression to be worth a second request path.
const compressFrom = 1024;

function hashedName(name, bytes) {
  const hash = crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 10);
  const dot = name.indexOf('.');
  return `${name.slice(0, dot)}.${hash}${name.slice(dot)}`;
}

function write(name, bytes) {
  fs.writeFileSync(path.join(siteDir, name), bytes);
  if (bytes.length < compressFrom) return;
  fs.writeFileSync(path.join(siteDir, `${name}.br`), zlib.brotliCompressSync(bytes, {
    params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 11,
      [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length },
  }));
  fs.writeFileSync(path.join(siteDir, `${name}.gz`), zlib.gzipSync(bytes, { level: 9 }));
}

// The logo is a 24-bit bottom-up BMP that draws "VELLOMIRE" on 640 x 200; the V with its glow
// lies in the 36 x 36 square at (192, 76) from the top left, the square dist/CMakeLists.txt cuts
// the desktop icon from. The favicon is that square scaled to 32 x 32, as an ICO holding one
// 32-bit bitmap.
function favicon(bmp) {
  const offset = bmp.readUInt32LE(10);
  const width = bmp.readInt32LE(18);
  const height = bmp.readInt32LE(22);
  const [x0, y0, side] = [192, 76, 36];
  if (bmp.toString('latin1', 0, 2) !== 'BM' || bmp.readUInt16LE(28) !== 24 || height <= 0 ||
      width < x0 + side || height < y0 + side) {
    throw new Error(`${logoBmp}: not the 24-bit logo`);
  }
  const row = Math.ceil((width * 3) / 4) * 4;
  const size = 32;
  const pixels = Buffer.alloc(size * size * 4);
  for (let y = 0; y < size; ++y) {
    for (let x = 0; x < size; ++x) {
      const sum = [0, 0, 0];
      let count = 0;
      for (let sy = Math.floor((y * side) / size); sy < Math.floor(((y + 1) * side) / size); ++sy) {
        for (let sx = Math.floor((x * side) / size); sx < Math.floor(((x + 1) * side) / size); ++sx) {
          const at = offset + (height - 1 - (y0 + sy)) * row + (x0 + sx) * 3;
          for (let c = 0; c < 3; ++c) sum[c] += bmp[at + c];
          count += 1;
        }
      }
      const out = ((size - 1 - y) * size + x) * 4; // bottom row first, B G R A
      for (let c = 0; c < 3; ++c) pixels[out + c] = Math.round(sum[c] / count);
      pixels[out + 3] = 255;
    }
  }
  const header = Buffer.alloc(6 + 16 + 40);
  header.writeUInt16LE(1, 2); // an icon
  header.writeUInt16LE(1, 4); // one image
  header.writeUInt8(size, 6);
  header.writeUInt8(size, 7);
  header.writeUInt16LE(1, 10); // planes
  header.writeUInt16LE(32, 12); // bits per pixel
  const mask = Buffer.alloc(size * 4); // all opaque, rows padded to 32 bits
  header.writeUInt32LE(40 + pixels.length + mask.length, 14);
  header.writeUInt32LE(22, 18);
  header.writeUInt32LE(40, 22);
  header.writeInt32LE(size, 26);
  header.writeInt32LE(size * 2, 30); // the colours and the mask
  header.writeUInt16LE(1, 34);
  header.writeUInt16LE(32, 36);
  return Buffer.concat([header, pixels, mask]);
}

fs.rmSync(siteDir, { recursive: true, force: true });
fs.mkdirSync(siteDir, { recursive: true });

let page = fs.readFileSync(path.join(pageDir, 'index.html'), 'utf8');
const rename = (from, to) => {
  if (!page.includes(`"${from}"`)) throw new Error(`index.html does not name ${from}`);
  page = page.replace(`"${from}"`, `"${to}"`);
};
for (const name of ['vellomire.js', 'vellomire.wasm', 'vellomire.data']) {
  const bytes = fs.readFileSync(path.join(programDir, name));
  const hashed = hashedName(name, bytes);
  write(hashed, bytes);
  rename(name, hashed);
  // The size of each file the page downloads itself, for its progress when the transfer is
  // compressed.
  const kind = name.slice(name.indexOf('.') + 1);
  if (kind !== 'js') page = page.replace(`data-${kind}=`, `data-${kind}-size="${bytes.length}" data-${kind}=`);
}
for (const name of ['page.js', 'page.css']) {
  const bytes = fs.readFileSync(path.join(pageDir, name));
  const hashed = hashedName(name, bytes);
  write(hashed, bytes);
  rename(name, hashed);
}
write('favicon.ico', favicon(fs.readFileSync(logoBmp)));
write('index.html', Buffer.from(page));
