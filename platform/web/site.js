// Puts the static site together from the page's sources, the module and the
// native build's Data.zux and icons: every file under its plain name, the
// build named (the version and a hash of everything that goes in) in the page
// and in the service worker, which also gets each file's hash to check.
//   node platform/web/site.js OUT MODULE_DIR NATIVE_DIR VERSION
'use strict';
const fs = require('fs'), path = require('path'), zlib = require('zlib'), crypto = require('crypto');

const Sources = ['index.html', 'page.js', 'replays.js', 'manifest.webmanifest', 'sw.js'];
const Icons = ['icon-192.png', 'icon-512.png', 'icon-maskable.png'];

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');

const CrcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = CrcTable[(c ^ b) & 255] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// The art generator's PNG (stored deflate blocks) with its pixels deflated for real.
function squeezePng(png) {
  const chunks = [], idat = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at), type = png.toString('latin1', at + 4, at + 8);
    const data = png.subarray(at + 8, at + 8 + length);
    if (type === 'IDAT') idat.push(data); else chunks.push([type, data]);
    at += 12 + length;
  }
  const pixels = zlib.deflateSync(zlib.inflateSync(Buffer.concat(idat)), { level: 9 });
  const chunk = (type, data) => {
    const head = Buffer.alloc(8), tail = Buffer.alloc(4);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, 'latin1');
    tail.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
    return Buffer.concat([head, data, tail]);
  };
  const ihdr = chunks.find(([t]) => t === 'IHDR')[1];
  return Buffer.concat([png.subarray(0, 8), chunk('IHDR', ihdr), chunk('IDAT', pixels), chunk('IEND', Buffer.alloc(0))]);
}

// What the site is made of, {name: bytes}, the page's sources as written.
function readInputs(moduleDir, nativeDir) {
  const inputs = {};
  for (const name of Sources) inputs[name] = fs.readFileSync(path.join(__dirname, name));
  for (const name of ['zux.js', 'zux.wasm']) inputs[name] = fs.readFileSync(path.join(moduleDir, name));
  inputs['Data.zux'] = fs.readFileSync(path.join(nativeDir, 'Data.zux'));
  for (const name of Icons) inputs[name] = squeezePng(fs.readFileSync(path.join(nativeDir, 'web-icons', name)));
  return inputs;
}

// Writes the site of inputs into out (made afresh); returns the build's name.
function makeSite(out, inputs, version) {
  const names = Object.keys(inputs).sort();
  const all = crypto.createHash('sha256');
  for (const name of names) all.update(`${name} ${inputs[name].length}\n`).update(inputs[name]);
  const build = `${version}-${all.digest('hex').slice(0, 12)}`;
  const files = {};
  for (const name of names) {
    let bytes = inputs[name];
    if (name === 'sw.js') continue;
    if (name === 'index.html') bytes = Buffer.from(bytes.toString('utf8').replaceAll('@BUILD@', build));
    files[name] = bytes;
  }
  const hashes = Object.fromEntries(Object.entries(files).map(([n, b]) => [n, sha256(b)]));
  files['sw.js'] = Buffer.from(inputs['sw.js'].toString('utf8').replace('@BUILD@', build)
    .replace('@FILES@', JSON.stringify(hashes, null, 2)));
  fs.rmSync(out, { recursive: true, force: true });
  fs.mkdirSync(out, { recursive: true });
  for (const [name, bytes] of Object.entries(files)) fs.writeFileSync(path.join(out, name), bytes);
  return build;
}

module.exports = { readInputs, makeSite };

if (require.main === module) {
  const [out, moduleDir, nativeDir, version] = process.argv.slice(2);
  if (!version) {
    console.error('usage: node site.js OUT MODULE_DIR NATIVE_DIR VERSION');
    process.exit(2);
  }
  console.log(`zux: the site of build ${makeSite(out, readInputs(moduleDir, nativeDir), version)} is in ${out}`);
}
