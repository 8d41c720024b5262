// A static server for the web site that sends the brotli or gzip copy of a file when the
// browser accepts it, and lets browsers keep the content-named files for good:
//   node serve-site.js SITE_DIR [PORT]
// The browser tests serve through it too (require: folderHandler).
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png', '.ico': 'image/x-icon',
  '.data': 'application/octet-stream',
};
// Named by their content (name.0123456789.ext): a changed file has a new name.
const contentNamed = /\.[0-9a-f]{10}\.[a-z]+$/;

// Answers a request for `url` (the path inside `root`); false when there is no such file.
function sendFile(root, url, request, response) {
  const file = path.join(root, url.endsWith('/') ? `${url}index.html` : url);
  if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    return false;
  }
  const accepted = request.headers['accept-encoding'] || '';
  const headers = {
    'Content-Type': types[path.extname(file)] || 'application/octet-stream',
    'Cache-Control': contentNamed.test(file) ? 'public, max-age=31536000, immutable' : 'no-cache',
    Vary: 'Accept-Encoding',
  };
  let sent = file;
  for (const [encoding, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
    if (new RegExp(`\\b${encoding}\\b`).test(accepted) && fs.existsSync(file + suffix)) {
      sent = file + suffix;
      headers['Content-Encoding'] = encoding;
      break;
    }
  }
  headers['Content-Length'] = fs.statSync(sent).size;
  response.writeHead(200, headers);
  if (request.method === 'HEAD') response.end();
  else fs.createReadStream(sent).pipe(response);
  return true;
}

// A request handler for `mounts` ({'/': folder, '/ref/': folder}).
function folderHandler(mounts) {
  return (request, response) => {
    let url;
    try {
      url = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch (error) {
      response.writeHead(400).end();
      return;
    }
    const prefix = Object.keys(mounts).filter((p) => url.startsWith(p))
      .sort((a, b) => b.length - a.length)[0];
    if (!prefix || !sendFile(path.resolve(mounts[prefix]), `/${url.slice(prefix.length)}`,
      request, response)) {
      response.writeHead(404).end();
    }
  };
}

if (require.main === module) {
  const [site, port = '8000'] = process.argv.slice(2);
  if (!site || !fs.existsSync(path.join(site, 'index.html'))) {
    console.error('usage: node serve-site.js SITE_DIR [PORT] (SITE_DIR holds index.html)');
    process.exit(2);
  }
  http.createServer(folderHandler({ '/': site })).listen(Number(port), () => {
    console.log(`serving ${site} at http://localhost:${port}/ (Ctrl+C stops)`);
  });
}

module.exports = { folderHandler };
