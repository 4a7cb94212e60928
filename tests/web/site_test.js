// The site as a player's browser keeps it: installable, started offline after
// one visit (still frame for frame what zux-headless draws), a new build taken
// on the next visit with the old one's cache gone, served from a sub-folder,
// and a download that fails said with its reason and a way to try again.
'use strict';
const test = require('node:test'), assert = require('node:assert'), fs = require('fs'), os = require('os');
const path = require('path');
const { WebDir, start, running, freshTrace, assertSameTicks, webScript } = require('./common');
const { readInputs, makeSite } = require('../../platform/web/site');

const controlled = (t) => t.page.waitForFunction(() => navigator.serviceWorker.controller, null, { timeout: 20000 });
const cacheNames = (t) => t.page.evaluate(() => caches.keys());

// The name of the build served, and what it is made of.
function siteInputs() {
  const build = /data-build="([^"]+)"/.exec(fs.readFileSync(path.join(WebDir, 'index.html'), 'utf8'))[1];
  return { build, inputs: readInputs(path.join(WebDir, '..'), path.join(WebDir, '../native')) };
}

test('installable; offline after one visit, the scripted clock still draws the frames of zux-headless', async () => {
  const t = await start();
  try {
    await t.page.goto(t.url + '?test');
    await running(t);
    await controlled(t);
    const cdp = await t.context.newCDPSession(t.page);
    assert.deepStrictEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    const manifest = await cdp.send('Page.getAppManifest');
    assert.deepStrictEqual(manifest.errors, []);
    const { build } = siteInputs();
    assert.deepStrictEqual(await cacheNames(t), [`zux / ${build}`]);

    await t.context.setOffline(true);
    await t.page.reload();
    await running(t);
    assertSameTicks(await webScript(t, 'intro.keys', 600, { inline: true }), freshTrace('intro.keys', 600), 'offline');
    assert.deepStrictEqual(t.errors, []);
  } finally {
    await t.close();
  }
});

test('a new build at the same address runs on the next visit, and the old cache is gone; a sub-folder works', async () => {
  const t = await start({ prefix: '/games/zux/' });
  const newer = fs.mkdtempSync(path.join(os.tmpdir(), 'zux-site-'));
  try {
    await t.page.goto(t.url + '?test');
    await running(t);
    await controlled(t);
    const { build, inputs } = siteInputs();
    assert.deepStrictEqual(await cacheNames(t), [`zux /games/zux/ ${build}`]);

    // The same game with another title: a build of its own.
    inputs['index.html'] = Buffer.from(inputs['index.html'].toString().replace('<title>zux</title>', '<title>zux, newer</title>'));
    const next = makeSite(newer, inputs, '9.9.9');
    t.server.root = newer;
    await t.page.reload(); // still the old build, which finds the new one
    await running(t);
    assert.strictEqual(await t.page.title(), 'zux');
    for (let i = 0; i < 100 && (await cacheNames(t)).join() !== `zux /games/zux/ ${next}`; i++) await t.page.waitForTimeout(200);
    assert.deepStrictEqual(await cacheNames(t), [`zux /games/zux/ ${next}`], 'the old build\'s cache is gone');
    // The old page, whose files are gone, gets none of the new build's in their place.
    assert.strictEqual(await t.page.evaluate((b) => fetch(`Data.zux?v=${b}`).then((r) => r.status), build), 410);

    await t.context.setOffline(true); // the next visit needs nothing from the server
    await t.page.reload();
    await running(t);
    assert.strictEqual(await t.page.title(), 'zux, newer');
    assert.strictEqual(await t.page.evaluate(() => document.documentElement.dataset.build), next);
    assert.deepStrictEqual(t.errors, []);
  } finally {
    await t.close();
    fs.rmSync(newer, { recursive: true, force: true });
  }
});

test('a download that fails says why and offers to try again', async () => {
  // No service worker: every file comes from the network, as at a first visit.
  const t = await start({ serviceWorkers: 'block' });
  try {
    for (const [file, reason] of [['Data.zux', /^Data\.zux could not be fetched: /], ['zux.wasm', /^The game module \(zux\.wasm\) could not be fetched: /],
      ['zux.js', /module \(zux\.js\) could not be fetched/]]) {
      const fail = (route) => route.abort('internetdisconnected'), match = (url) => url.pathname.endsWith(`/${file}`);
      await t.page.route(match, fail);
      await t.page.goto(t.url + '?test');
      await t.page.waitForFunction(() => document.body.classList.contains('failed'), null, { timeout: 20000 });
      assert.match(await t.page.textContent('#reason'), reason, file);
      assert.ok(await t.page.isVisible('#retry'), file);
      await t.page.unroute(match, fail);
      await t.page.click('#retry');
      await running(t);
      assert.ok(!(await t.page.evaluate(() => document.body.classList.contains('failed'))), file);
    }
  } finally {
    await t.close();
  }
});
