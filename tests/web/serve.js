// Serves a folder on localhost, gzipped as a web server would send it, so the
// page's transfer size is what a visitor downloads.
// Usage: node serve.js FOLDER [PORT]   (PORT 0: any free one, printed)
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.txt': 'text/plain; charset=utf-8', '.png': 'image/png',
};

function serve(root, port, ready) {
  // Each file is compressed once, as a server of static files keeps it:
  // the page's own files before the first visitor.
  const gzipped = new Map();
  const gzip = (file, body) => {
    const stamp = `${fs.statSync(file).mtimeMs}:${body.length}`;
    if (!gzipped.has(file) || gzipped.get(file).stamp !== stamp) {
      gzipped.set(file, { stamp, body: zlib.gzipSync(body, { level: 9 }) });
    }
    return gzipped.get(file).body;
  };
  for (const name of fs.readdirSync(root)) {
    const file = path.join(root, name);
    if (fs.statSync(file).isFile()) gzip(file, fs.readFileSync(file));
  }
  const server = http.createServer((req, res) => {
    let name = decodeURIComponent(new URL(req.url, 'http://localhost').pathname);
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep)) { res.writeHead(403); res.end(); return; }
    fs.readFile(file, (err, body) => {
      if (err) { res.writeHead(404); res.end(); return; }
      const headers = { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                        'Cache-Control': 'no-cache' };
      if (/\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
        body = gzip(file, body);
        headers['Content-Encoding'] = 'gzip';
      }
      headers['Content-Length'] = body.length;
      res.writeHead(200, headers);
      res.end(body);
    });
  });
  server.listen(port, '127.0.0.1', () => ready(server));
  return server;
}

module.exports = { serve };

if (require.main === module) {
  const root = path.resolve(process.argv[2] || '.');
  serve(root, Number(process.argv[3] || 8080), (server) => {
    console.log(`Serving ${root} on http://localhost:${server.address().port}/`);
  });
}
