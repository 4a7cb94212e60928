// What the browser test and bench share: the page served from build-web/, Debian's chromium through
// playwright-core, zux-headless runs of the same key files, and the page's scripted-clock report.
'use strict';
const { chromium } = require('playwright-core');
const assert = require('node:assert');
const { execFileSync } = require('child_process');
const fs = require('fs'), os = require('os'), path = require('path');
const { serve } = require('../../platform/web/serve');

const WebDir = path.resolve(process.env.ZUX_WEB_DIR || path.join(__dirname, '../../build-web/site'));
const Headless = process.env.ZUX_HEADLESS || path.join(__dirname, '../../build-web/native/zux-headless');
const KeysDir = path.join(__dirname, 'keys');

// Serves the site (at options.prefix, default '/'), starts chromium with a new
// empty profile, kept off the network and out of the user's profile (options:
// more of playwright's context options); close() ends both.
async function start(options = {}) {
  const { prefix = '/', ...more } = options;
  const server = await serve(WebDir, KeysDir, 0, prefix);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zux-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ZUX_CHROMIUM || '/usr/bin/chromium', headless: true, viewport: { width: 800, height: 700 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
    ...more,
  });
  const page = context.pages()[0] || (await context.newPage()), errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  const close = async () => { await context.close(); server.close(); fs.rmSync(profile, { recursive: true, force: true }); };
  return { page, errors, context, server, url: `http://127.0.0.1:${server.address().port}${prefix}`, close };
}

// A program folder holding Data.zux and the given files ({name: Buffer}).
function programFolder(files) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zux-web-headless-'));
  fs.copyFileSync(path.join(WebDir, 'Data.zux'), path.join(dir, 'Data.zux'));
  for (const [name, bytes] of Object.entries(files || {})) fs.writeFileSync(path.join(dir, name), bytes);
  return dir;
}

// Runs zux-headless in dir on a key file (a name in keys/, a path, or the
// text of one) for ticks; returns the trace as objects, one a tick.
function headlessTrace(dir, keys, ticks) {
  const trace = path.join(dir, 'trace.jsonl'), text = keys.includes('\n');
  const keyFile = text ? path.join(dir, 'typed.keys') : path.resolve(KeysDir, keys);
  if (text) fs.writeFileSync(keyFile, keys);
  execFileSync(Headless, ['--dir', dir, '--ticks', String(ticks), '--keys', keyFile, '--trace', trace]);
  return fs.readFileSync(trace, 'utf8').trim().split('\n').map((l) => JSON.parse(l));
}

// The headless trace of a key file in a program folder of its own holding files.
function freshTrace(keys, ticks, files) {
  const dir = programFolder(files);
  try { return headlessTrace(dir, keys, ticks); } finally { fs.rmSync(dir, { recursive: true }); }
}

// Asserts that a web run reports exactly the frames and sounds of a trace.
function assertSameTicks(web, trace, what) {
  const want = (l) => `${l.presented ? l.frame : '-'}:${l.sounds.join(',')}`;
  assert.strictEqual(web.length, trace.length, `${what}: tick count`);
  const i = trace.findIndex((l, k) => web[k].report !== want(l)), l = trace[i];
  assert.ok(i < 0, l && `${what}: tick ${l.tick} (${l.screen}) is ${web[i].report}, zux-headless has ${want(l)}`);
}

// Loads the page in scripted-clock mode on keys/NAME for ticks (options: store
// keeps the files, extra more of the query, inline hands the keys over in a
// data: address, which needs no network); resolves to {frame, sounds, micros, report} a tick.
async function webScript(t, name, ticks, options = {}) {
  const keys = options.inline
    ? `data:text/plain,${encodeURIComponent(fs.readFileSync(path.join(KeysDir, name), 'utf8'))}` : `keys/${name}`;
  await t.page.goto(`${t.url}?script=${encodeURIComponent(keys)}&ticks=${ticks}${options.store ? '&store' : ''}${options.extra || ''}`);
  const result = await (await t.page.waitForFunction(() => window.zuxResult, null, { timeout: 60000 })).jsonValue();
  if (result.startsWith('error')) throw new Error(result);
  return result.trim().split(/ +/).map((w) => w.split(':'))
    .map(([frame, sounds, micros]) => ({ frame, sounds, micros: Number(micros), report: `${frame}:${sounds}` }));
}

// One page for every test of a file, its errors checked after each: start()'s object.
function sharedPage(test) {
  const t = {};
  test.before(async () => Object.assign(t, await start()));
  test.after(async () => { if (t.close) await t.close(); });
  test.afterEach(() => assert.deepStrictEqual(t.errors, [], 'errors on the page'));
  return t;
}

const waitOn = (t, what, arg, timeout = 20000) => t.page.waitForFunction(what, arg, { timeout, polling: 20 });
const running = (t) => waitOn(t, () => window.zuxTest && zuxTest.presents() > 10);

module.exports = { WebDir, Headless, start, sharedPage, waitOn, running, programFolder, headlessTrace, freshTrace, assertSameTicks, webScript };
