// The browser build in Debian's chromium: frame for frame what zux-headless draws for the same key
// files, real keys through the browser's keyboard, the files kept in its storage, a hidden page frozen.
'use strict';
const test = require('node:test'), assert = require('node:assert'), fs = require('fs');
const { sharedPage, waitOn, running, programFolder, headlessTrace, freshTrace, assertSameTicks, webScript } = require('./common');

const t = sharedPage(test), waitFor = (what) => waitOn(t, what);
const presents = () => t.page.evaluate(() => zuxTest.presents()), log = () => t.page.evaluate(() => zuxTest.log());
const press = async (key, ms) => { await t.page.keyboard.press(key); await t.page.waitForTimeout(ms); };
// Loads the page in test mode and leaves the intro with 1 (a tap between two
// ticks still counts; the first key also lets the page sound), then waits ms.
async function intoMenu(ms) {
  await t.page.goto(t.url + '?test');
  await running(t);
  assert.strictEqual(await t.page.evaluate(() => zuxTest.screen()), 0);
  await t.page.keyboard.press('Digit1');
  await waitFor(() => zuxTest.screen() === 1);
  await t.page.waitForTimeout(ms);
}
// Asserts that the page presents nothing for ms; resolves to its present count.
async function standsStill(ms, what) {
  const n = await presents();
  await t.page.waitForTimeout(ms);
  return assert.strictEqual(await presents(), n, what) ?? n;
}

// Five low scores in every table, so that any game enters a name; the files the game keeps.
const LowScores = Buffer.from(Int32Array.from({ length: 100 }, (_, k) => [25, 20, 23, 5 - ((k / 5) | 0) % 5, 1][k % 5]).buffer);
const Names = ['SS.dat', 'HS.dat'];

// The stored files of the page, as bytes (null when absent); setStored replaces them ({name: text}).
const storedFiles = async () => (await t.page.evaluate((n) => n.map((f) => localStorage.getItem('zux/' + f)), Names))
  .map((v) => (v === null ? null : Buffer.from(v, 'base64')));
async function setStored(files) {
  await t.page.goto(t.url + 'keys/intro.keys');
  await t.page.evaluate((f) => { localStorage.clear(); for (const n in f) localStorage.setItem('zux/' + n, f[n]); }, files);
}

test('the scripted clock draws the frames of zux-headless, tick for tick', async () => {
  // The intro and the idle menu's tables; every menu page and Quit; a whole game of each type.
  for (const [name, ticks] of [['intro.keys', 1400], ['menus.keys', 800], ['games.keys', 1420]])
    assertSameTicks(await webScript(t, name, ticks), freshTrace(name, ticks), name);
});

test('the files are kept across reloads, a damaged one is read as on disk, a full storage is no failure', async () => {
  // The options changed and Quit; a game with a name; the tables at the next start.
  await setStored({ 'HS.dat': LowScores.toString('base64') });
  const dir = programFolder({ 'HS.dat': LowScores });
  const onDisk = () => Names.map((n) => (fs.existsSync(`${dir}/${n}`) ? fs.readFileSync(`${dir}/${n}`) : null));
  for (const [name, ticks] of [['menus.keys', 800], ['names.keys', 1150], ['intro.keys', 800]]) {
    assertSameTicks(await webScript(t, name, ticks, { store: true }), headlessTrace(dir, name, ticks), name);
    assert.deepStrictEqual(await storedFiles(), onDisk(), name);
  }
  assert.strictEqual(onDisk()[0]?.length, 1052);
  fs.rmSync(dir, { recursive: true });

  // A cut high-score file and settings that are not even base64.
  const cut = LowScores.subarray(0, 399);
  await setStored({ 'HS.dat': cut.toString('base64'), 'SS.dat': '%%%' });
  assertSameTicks(await webScript(t, 'intro.keys', 800, { store: true }),
    freshTrace('intro.keys', 800, { 'HS.dat': cut, 'SS.dat': Buffer.from('%%%') }), 'damaged files');

  // A full storage refuses every write: the game plays on all the same.
  await setStored({});
  await t.page.addInitScript(() => location.search.includes('full') &&
    (Storage.prototype.setItem = () => { throw new DOMException('full', 'QuotaExceededError'); }));
  assertSameTicks(await webScript(t, 'menus.keys', 800, { store: true, extra: '&full' }),
    freshTrace('menus.keys', 800), 'full storage');
  assert.deepStrictEqual(await storedFiles(), [null, null]);
});

// The canvas as the page shows it, scaled back to 240 x 320 and hashed as the
// headless trace hashes a 5-6-5 frame.
async function shownFrameHash() {
  const png = (await (await t.page.$('canvas')).screenshot()).toString('base64');
  return t.page.evaluate(async (data) => {
    const img = await createImageBitmap(await (await fetch('data:image/png;base64,' + data)).blob());
    const w = img.width, s = w / 240, g = new OffscreenCanvas(w, img.height).getContext('2d');
    g.drawImage(img, 0, 0);
    const px = g.getImageData(0, 0, w, img.height).data;
    let h = 0xcbf29ce484222325n;
    const add = (b) => { h = ((h ^ BigInt(b)) * 0x100000001b3n) & 0xffffffffffffffffn; };
    for (let k = 0; k < 240 * 320; k++) {
      const i = 4 * (Math.floor((Math.floor(k / 240) + 0.5) * s) * w + Math.floor((k % 240 + 0.5) * s));
      const v = (px[i] >> 3) << 11 | (px[i + 1] >> 2) << 5 | px[i + 2] >> 3;
      add(v & 255), add(v >> 8);
    }
    return h.toString(16).padStart(16, '0');
  }, png);
}

const setPageHidden = (hidden) => t.page.evaluate((h) => {
  for (const [k, v] of [['hidden', h], ['visibilityState', h ? 'hidden' : 'visible']])
    Object.defineProperty(document, k, { configurable: true, get: () => v });
  document.dispatchEvent(new Event('visibilitychange'));
}, hidden);

test('real keys in real time, the shown frame, and the freeze of a hidden page', async () => {
  await intoMenu(300);
  await press('ArrowDown', 300); // to New game
  await press('Enter', 0);
  const slide = await t.page.evaluate(() => zuxTest.ticks());
  await waitFor(`zuxTest.ticks() > ${slide + 55}`); // the page of types slides in
  await t.page.keyboard.press('KeyX'); // type A
  await waitFor(() => zuxTest.screen() === 2);
  await press('Space', 800); // skip get ready

  // Hidden: the game stands still; the shown frame is the one zux-headless
  // draws for the keys as the page received them.
  await setPageHidden(true);
  const frozen = await standsStill(400, 'hidden');
  const keys = await log(), shown = await shownFrameHash();
  const away = Number(keys.trim().split('\n').pop().split(' ')[0]);
  const trace = freshTrace(keys, away + 5);
  assert.strictEqual(shown, trace.filter((l) => l.presented).pop().frame);
  assert.ok(trace.slice(away - 1).every((l) => !l.presented), 'frozen from the focus-away on');
  // The intro ended, the highlight moved, a game of type A started.
  const screens = trace.map((l) => l.screen), menu = screens.indexOf('Menu');
  assert.ok(menu > 0 && screens.indexOf('Game') > menu);
  assert.ok(trace.some((l) => l.menuSelection === 1));
  assert.strictEqual(trace[trace.length - 1].gameType, 0);

  // Shown again it runs on; a blurred page freezes as well.
  await setPageHidden(false);
  await waitFor(`zuxTest.presents() > ${frozen + 5}`);
  await t.page.evaluate(() => window.dispatchEvent(new Event('blur')));
  const blurred = await standsStill(300, 'blurred');
  await t.page.evaluate(() => window.dispatchEvent(new Event('focus')));
  await waitFor(`zuxTest.presents() > ${blurred + 5}`);

  // F8 ends the run: the dimmed last frame and "Play again", which starts afresh.
  await t.page.keyboard.press('F8');
  await waitFor(() => document.body.classList.contains('over'));
  await standsStill(200, 'ended');
  await t.page.click('#again');
  await waitFor(() => window.zuxTest && zuxTest.presents() > 5 && zuxTest.screen() === 0);
});

test('touch buttons, a gamepad and sound', async () => {
  await intoMenu(200);
  // Two fingers at once: Down held while 4 goes down and up.
  await t.page.evaluate(async () => {
    document.body.classList.add('touch');
    const touch = (vk, type, id) => document.querySelector(`#pad button[data-vk="${vk}"]`)
      .dispatchEvent(new PointerEvent(type, { pointerId: id, bubbles: true, isPrimary: id === 1 }));
    touch(28, 'pointerdown', 1), touch(34, 'pointerdown', 2), touch(34, 'pointerup', 2);
    await new Promise((r) => setTimeout(r, 100));
    touch(28, 'pointerup', 1);
    await new Promise((r) => setTimeout(r, 100));
  });
  const pad = (await log()).split('\n').slice(2, 6).map((l) => l.replace(/^\d+ /, ''));
  assert.deepStrictEqual(pad, ['down Down', 'down 4', 'up 4', 'up Down']);
  // The menu moved, and its sound was decoded and started.
  await waitFor(() => zuxPage.soundsStarted > 0);

  // A standard gamepad's d-pad up, polled at the next tick.
  for (const p of [true, false]) {
    await t.page.evaluate((p) => {
      const buttons = Array.from({ length: 17 }, (_, i) => ({ pressed: p && i === 12, value: +(p && i === 12) }));
      const pad = { id: 'test pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0], buttons };
      navigator.getGamepads = () => [pad, null, null, null];
    }, p);
    await waitFor(`zuxTest.log().includes('${p ? 'down' : 'up'} Up')`);
  }
});

test('a key let go while Ctrl, Alt or Meta is held comes up; pressed with one it is the browser\'s', async () => {
  await intoMenu(200);
  const kb = t.page.keyboard, from = (await log()).length;
  for (const mod of ['Control', 'Alt', 'Meta']) {
    await kb.down('ArrowLeft'), await t.page.waitForTimeout(100);
    await kb.down(mod), await kb.up('ArrowLeft'), await kb.down('KeyZ'), await kb.up('KeyZ');
    await kb.up(mod), await t.page.waitForTimeout(100);
  }
  const got = (await log()).slice(from).trim().split('\n').map((l) => l.replace(/^\d+ /, ''));
  assert.deepStrictEqual(got, ['down Left', 'up Left', 'down Left', 'up Left', 'down Left', 'up Left']);
});
