// What the browser test and the browser bench share: the page served from
// build-web/, Debian's chromium through playwright-core, zux-headless runs of
// the same key files, and the page's scripted-clock report.
'use strict';
const { chromium } = require('playwright-core');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve } = require('./server');

const WebDir = path.resolve(process.env.ZUX_WEB_DIR || path.join(__dirname, '../../build-web'));
const Headless = process.env.ZUX_HEADLESS || path.join(WebDir, 'native/zux-headless');
const KeysDir = path.join(__dirname, 'keys');

// The flags that keep chromium off the network and out of the user's profile.
const ChromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Serves the page, starts chromium with a new empty profile; close() ends both.
async function start() {
  const server = await serve(WebDir, KeysDir, 0);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zux-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ZUX_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ChromiumFlags,
    viewport: { width: 800, height: 700 },
  });
  const page = context.pages()[0] || (await context.newPage());
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  return {
    page, errors, context,
    url: `http://127.0.0.1:${server.address().port}/`,
    async close() {
      await context.close();
      server.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A program folder holding Data.zux and the given files ({name: Buffer}).
function programFolder(files) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zux-web-headless-'));
  fs.copyFileSync(path.join(WebDir, 'Data.zux'), path.join(dir, 'Data.zux'));
  for (const [name, bytes] of Object.entries(files || {})) fs.writeFileSync(path.join(dir, name), bytes);
  return dir;
}

// Runs zux-headless in dir on a key file (a name in keys/ or a path) for
// ticks; returns the trace as objects, one a tick.
function headlessTrace(dir, keys, ticks) {
  const keyFile = path.isAbsolute(keys) ? keys : path.join(KeysDir, keys);
  const trace = path.join(dir, 'trace.jsonl');
  execFileSync(Headless, ['--dir', dir, '--ticks', String(ticks), '--keys', keyFile, '--trace', trace]);
  return fs.readFileSync(trace, 'utf8').trim().split('\n').map((l) => JSON.parse(l));
}

// What a trace line says the web build must report for its tick.
function expected(line) {
  return `${line.presented ? line.frame : '-'}:${line.sounds.join(',')}`;
}

// Loads the page in scripted-clock mode on keys/NAME for ticks; resolves to
// {frame, sounds, micros, report} a tick.
async function webScript(t, name, ticks, options = {}) {
  const query = `?script=keys/${name}&ticks=${ticks}` +
    (options.store ? '&store' : '') + (options.extra || '');
  await t.page.goto(t.url + query);
  await t.page.waitForFunction(() => window.zuxResult !== undefined, null, { timeout: 60000 });
  const result = await t.page.evaluate(() => window.zuxResult);
  if (result.startsWith('error')) throw new Error(result);
  return result.trim().split(' ').filter((w) => w).map((w) => {
    const [frame, sounds, micros] = w.split(':');
    return { frame, sounds, micros: Number(micros), report: `${frame}:${sounds}` };
  });
}

module.exports = { WebDir, KeysDir, start, programFolder, headlessTrace, expected, webScript };
