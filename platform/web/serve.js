// A static server for the built site on 127.0.0.1: the folder given (under a
// sub-path when asked), and the test's key files under /keys/. Cross-origin
// isolated, so that the page's clock reads to the microsecond. The page and the
// service worker are checked at every visit; the files they name carry their
// build in the query. Used by ./web --serve and by the tests and the bench.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const Types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.keys': 'text/plain',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
  '.zux': 'application/octet-stream',
};

// Starts serving root at prefix (a path ending in '/'; keysDir at /keys/ within
// it) on port (0: any free one); resolves to the server once it listens. The
// server's root (whichever) can be changed later by setting server.root.
function serve(root, keysDir, port, prefix = '/') {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    let file = decodeURIComponent(url.pathname);
    if (!file.startsWith(prefix)) {
      res.writeHead(404).end();
      return;
    }
    file = file.slice(prefix.length - 1);
    let base = server.root;
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
      const checked = /\.html$|^sw\.js$/.test(path.basename(full));
      res.writeHead(200, {
        'Content-Type': Types[path.extname(full)] || 'application/octet-stream',
        'Cross-Origin-Opener-Policy': 'same-origin',
        'Cross-Origin-Embedder-Policy': 'require-corp',
        'Cache-Control': checked ? 'no-cache' : 'max-age=3600',
      });
      res.end(body);
      server.bytesServed += body.length;
    });
  });
  server.root = root;
  server.bytesServed = 0; // the files' bytes sent so far, for the bench
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
