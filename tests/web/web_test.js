// The browser build in Debian's chromium: frame for frame what zux-headless
// draws for the same key files, real keys through the browser's keyboard, the
// files kept in the browser's storage, and the freeze of a hidden page.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const { start, programFolder, headlessTrace, expected, webScript } = require('./common');

let t;
test.before(async () => { t = await start(); });
test.after(async () => { if (t) await t.close(); });

// Asserts that a web run reports exactly the frames and sounds of a trace.
function assertSameTicks(web, trace, what) {
  assert.strictEqual(web.length, trace.length, `${what}: tick count`);
  for (let i = 0; i < trace.length; i++) {
    if (web[i].report !== expected(trace[i])) {
      assert.fail(`${what}: tick ${trace[i].tick} (${trace[i].screen}) is ${web[i].report}, ` +
        `zux-headless has ${expected(trace[i])}`);
    }
  }
}

const LowScores = (() => {
  // Five low scores in every table, so that any game enters a name.
  const b = Buffer.alloc(400);
  for (let e = 0; e < 20; e++) [25, 20, 23, 5 - (e % 5), 1].forEach((v, i) => b.writeInt32LE(v, 20 * e + 4 * i));
  return b;
})();

// The stored files of the page, as bytes (null when absent).
async function storedFiles() {
  const got = await t.page.evaluate(() => ['SS.dat', 'HS.dat'].map((n) => localStorage.getItem('zux/' + n)));
  return got.map((v) => (v === null ? null : Buffer.from(v, 'base64')));
}

async function setStored(files) {
  await t.page.goto(t.url + 'keys/intro.keys');
  await t.page.evaluate((f) => {
    localStorage.clear();
    for (const [name, value] of Object.entries(f)) localStorage.setItem('zux/' + name, value);
  }, files);
}

function fileOrNull(dir, name) {
  return fs.existsSync(`${dir}/${name}`) ? fs.readFileSync(`${dir}/${name}`) : null;
}

test('the scripted clock draws the frames of zux-headless, tick for tick', async () => {
  // The intro and the idle menu's tables; every menu page and Quit; a whole
  // game of each type.
  for (const [name, ticks] of [['intro.keys', 1400], ['menus.keys', 800], ['games.keys', 1420]]) {
    const dir = programFolder();
    assertSameTicks(await webScript(t, name, ticks), headlessTrace(dir, name, ticks), name);
    fs.rmSync(dir, { recursive: true });
  }
  assert.deepStrictEqual(t.errors, []);
});

test('the files are kept across reloads, a damaged one is read as on disk, a full storage is no failure', async () => {
  // The options changed and Quit; a game with a name; the tables at the next start.
  await setStored({ 'HS.dat': LowScores.toString('base64') });
  const dir = programFolder({ 'HS.dat': LowScores });
  for (const [name, ticks] of [['menus.keys', 800], ['names.keys', 1150], ['intro.keys', 800]]) {
    const web = await webScript(t, name, ticks, { store: true });
    assertSameTicks(web, headlessTrace(dir, name, ticks), name);
    assert.deepStrictEqual(await storedFiles(), [fileOrNull(dir, 'SS.dat'), fileOrNull(dir, 'HS.dat')], name);
  }
  const settings = fileOrNull(dir, 'SS.dat');
  assert.ok(settings && settings.length === 1052);
  fs.rmSync(dir, { recursive: true });

  // A cut high-score file and settings that are not even base64.
  const cut = LowScores.subarray(0, 399);
  await setStored({ 'HS.dat': cut.toString('base64'), 'SS.dat': '%%%' });
  const damaged = programFolder({ 'HS.dat': cut, 'SS.dat': Buffer.from('%%%') });
  const web = await webScript(t, 'intro.keys', 800, { store: true });
  assertSameTicks(web, headlessTrace(damaged, 'intro.keys', 800), 'damaged files');
  fs.rmSync(damaged, { recursive: true });

  // A full storage refuses every write: the game plays on all the same.
  await setStored({});
  await t.page.addInitScript(() => {
    if (!location.search.includes('full')) return;
    Storage.prototype.setItem = () => { throw new DOMException('full', 'QuotaExceededError'); };
  });
  const fresh = programFolder();
  const refused = await webScript(t, 'menus.keys', 800, { store: true, extra: '&full' });
  assertSameTicks(refused, headlessTrace(fresh, 'menus.keys', 800), 'full storage');
  assert.deepStrictEqual(await storedFiles(), [null, null]);
  fs.rmSync(fresh, { recursive: true });
  assert.deepStrictEqual(t.errors, []);
});

// Plays in real time until the page's test hook says so.
async function waitFor(what, timeout = 20000) {
  await t.page.waitForFunction(what, null, { timeout, polling: 20 });
}

// The canvas as the page shows it, scaled back to 240 x 320 and hashed as the
// headless trace hashes a 5-6-5 frame.
async function shownFrameHash() {
  const canvas = await t.page.$('canvas');
  const png = (await canvas.screenshot()).toString('base64');
  return t.page.evaluate(async (data) => {
    const img = new Image();
    img.src = 'data:image/png;base64,' + data;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width;
    c.height = img.height;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    const px = g.getImageData(0, 0, c.width, c.height).data;
    const s = c.width / 240;
    let h = 0xcbf29ce484222325n;
    const prime = 0x100000001b3n, mask = (1n << 64n) - 1n;
    for (let y = 0; y < 320; y++) {
      for (let x = 0; x < 240; x++) {
        const i = 4 * (Math.floor((y + 0.5) * s) * c.width + Math.floor((x + 0.5) * s));
        const v = (px[i] >> 3) << 11 | (px[i + 1] >> 2) << 5 | px[i + 2] >> 3;
        h = ((h ^ BigInt(v & 255)) * prime) & mask;
        h = ((h ^ BigInt(v >> 8)) * prime) & mask;
      }
    }
    return h.toString(16).padStart(16, '0');
  }, png);
}

async function setPageHidden(hidden) {
  await t.page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}

test('real keys in real time, the shown frame, and the freeze of a hidden page', async () => {
  await t.page.goto(t.url + '?test');
  await waitFor(() => window.zuxTest && zuxTest.presents() > 10);
  assert.strictEqual(await t.page.evaluate(() => zuxTest.screen()), 0);
  await t.page.keyboard.press('Digit1'); // a tap between two ticks still counts
  await waitFor(() => zuxTest.screen() === 1);
  await t.page.waitForTimeout(300);
  await t.page.keyboard.press('ArrowDown'); // to New game
  await t.page.waitForTimeout(300);
  await t.page.keyboard.press('Enter');
  const slide = await t.page.evaluate(() => zuxTest.ticks());
  await waitFor(`zuxTest.ticks() > ${slide + 55}`); // the page of types slides in
  await t.page.keyboard.press('KeyX'); // type A
  await waitFor(() => zuxTest.screen() === 2);
  await t.page.keyboard.press('Space'); // skip get ready
  await t.page.waitForTimeout(800);

  // Hidden: the game stands still; the shown frame is the one zux-headless
  // draws for the keys as the page received them.
  await setPageHidden(true);
  const frozen = await t.page.evaluate(() => [zuxTest.presents(), zuxTest.log()]);
  await t.page.waitForTimeout(400);
  assert.strictEqual(await t.page.evaluate(() => zuxTest.presents()), frozen[0]);
  const shown = await shownFrameHash();
  const keyFile = `${require('os').tmpdir()}/zux-web-realtime-${process.pid}.keys`;
  fs.writeFileSync(keyFile, frozen[1]);
  const away = Number(frozen[1].trim().split('\n').pop().split(' ')[0]);
  const dir = programFolder();
  const trace = headlessTrace(dir, keyFile, away + 5);
  fs.rmSync(dir, { recursive: true });
  fs.rmSync(keyFile);
  const drawn = trace.filter((l) => l.presented);
  assert.strictEqual(shown, drawn[drawn.length - 1].frame);
  assert.ok(trace.slice(away - 1).every((l) => !l.presented), 'frozen from the focus-away on');
  // The intro ended, the highlight moved, a game of type A started.
  const screens = trace.map((l) => l.screen);
  assert.ok(screens.indexOf('Menu') > 0 && screens.indexOf('Game') > screens.indexOf('Menu'));
  assert.ok(trace.some((l) => l.menuSelection === 1));
  assert.strictEqual(trace[trace.length - 1].gameType, 0);

  // Shown again it runs on; a blurred page freezes as well.
  await setPageHidden(false);
  await waitFor(`zuxTest.presents() > ${frozen[0] + 5}`);
  await t.page.evaluate(() => window.dispatchEvent(new Event('blur')));
  const blurred = await t.page.evaluate(() => zuxTest.presents());
  await t.page.waitForTimeout(300);
  assert.strictEqual(await t.page.evaluate(() => zuxTest.presents()), blurred);
  await t.page.evaluate(() => window.dispatchEvent(new Event('focus')));
  await waitFor(`zuxTest.presents() > ${blurred + 5}`);

  // F8 ends the run: the dimmed last frame and "Play again", which starts afresh.
  await t.page.keyboard.press('F8');
  await waitFor(() => document.body.classList.contains('over'));
  const ended = await t.page.evaluate(() => zuxTest.presents());
  await t.page.waitForTimeout(200);
  assert.strictEqual(await t.page.evaluate(() => zuxTest.presents()), ended);
  await t.page.click('#again');
  await waitFor(() => window.zuxTest && zuxTest.presents() > 5 && zuxTest.screen() === 0);
  assert.deepStrictEqual(t.errors, []);
});

test('touch buttons, a gamepad and sound', async () => {
  await t.page.goto(t.url + '?test');
  await waitFor(() => window.zuxTest && zuxTest.presents() > 5);
  await t.page.keyboard.press('Digit1'); // the first key also lets the page sound
  await waitFor(() => zuxTest.screen() === 1);
  await t.page.waitForTimeout(200);

  // Two fingers at once: Down held while 4 goes down and up.
  await t.page.evaluate(() => document.body.classList.add('touch'));
  const touch = (vk, type, id) => t.page.evaluate(([v, ty, i]) => {
    document.querySelector(`#pad button[data-vk="${v}"]`)
      .dispatchEvent(new PointerEvent(ty, { pointerId: i, bubbles: true, isPrimary: i === 1 }));
  }, [vk, type, id]);
  await touch('28', 'pointerdown', 1);
  await touch('34', 'pointerdown', 2);
  await touch('34', 'pointerup', 2);
  await t.page.waitForTimeout(100);
  await touch('28', 'pointerup', 1);
  await t.page.waitForTimeout(100);
  const pad = (await t.page.evaluate(() => zuxTest.log())).split('\n').slice(2).map((l) => l.replace(/^\d+ /, ''));
  assert.deepStrictEqual(pad.slice(0, 4), ['down Down', 'down 4', 'up 4', 'up Down']);
  // The menu moved, and its sound was decoded and started.
  await waitFor(() => zuxPage.soundsStarted > 0);

  // A standard gamepad's d-pad up, polled at the next tick.
  await t.page.evaluate(() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
    const pad = { id: 'test pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0], buttons };
    window.testPad = pad;
    navigator.getGamepads = () => [pad, null, null, null];
    pad.buttons[12] = { pressed: true, value: 1 };
  });
  await waitFor(() => zuxTest.log().includes('down Up'));
  await t.page.evaluate(() => { window.testPad.buttons[12] = { pressed: false, value: 0 }; });
  await waitFor(() => zuxTest.log().includes('up Up'));
  assert.deepStrictEqual(t.errors, []);
});
