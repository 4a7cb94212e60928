// A static server for the built page on 127.0.0.1: the folder given, and the
// test's key files under /keys/. Cross-origin isolated, so that the page's
// clock reads to the microsecond. Used by ./web --serve and by the tests.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const Types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.keys': 'text/plain',
};

// Starts serving root (and keysDir at /keys/) on port (0: any free one);
// resolves to the server once it listens.
function serve(root, keysDir, port) {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    let file = decodeURIComponent(url.pathname);
    let base = root;
    if (file.startsWith('/keys/') && keysDir) {
      base = keysDir;
      file = file.slice(5);
    }
    if (file.endsWith('/')) file += 'index.html';
    const full = path.join(base, path.normalize(file));
    if (!full.startsWith(path.resolve(base))) {
      res.writeHead(403).end();
      return;
    }
    fs.readFile(full, (err, body) => {
      if (err) {
        res.writeHead(404).end();
        return;
      }
      res.writeHead(200, {
        'Content-Type': Types[path.extname(full)] || 'application/octet-stream',
        'Cross-Origin-Opener-Policy': 'same-origin',
        'Cross-Origin-Embedder-Policy': 'require-corp',
        'Cache-Control': 'max-age=3600',
      });
      res.end(body);
    });
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

module.exports = { serve };

if (require.main === module) {
  const root = path.resolve(process.argv[2] || '.');
  const port = parseInt(process.argv[3] || '8080', 10);
  serve(root, null, port).then((s) => {
    console.log(`zux: serving ${root} at http://127.0.0.1:${s.address().port}/ (Ctrl+C stops)`);
  });
}
