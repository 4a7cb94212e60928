// Replays in the browser: a run played with real keys is kept (the newest 20),
// downloaded through the panel and played to a match by zux-headless; a replay
// watched through the file picker and through a share link plays to a match
// in the page, with the viewer's controls, and leaves the player's files alone;
// a damaged file and a replay too long for a link are said so.
'use strict';
const test = require('node:test'), assert = require('node:assert'), fs = require('fs'), path = require('path');
const { execFileSync } = require('child_process');
const { Headless, sharedPage, waitOn, running, programFolder, headlessTrace } = require('./common');

const Game = path.join(__dirname, '../../docs/game.zuxreplay');
const t = sharedPage(test), waitFor = (what, arg) => waitOn(t, what, arg);
const ticks = () => t.page.evaluate(() => Module._WebTestTicks());
const status = () => t.page.textContent('#status');
const stored = () => t.page.evaluate(() => ['SS.dat', 'HS.dat'].map((n) => localStorage.getItem('zux/' + n)));
const waitStatus = (pattern) => waitFor((p) => new RegExp(p).test(document.getElementById('status').textContent), pattern.source);
async function openPanel() {
  if (!(await t.page.evaluate(() => document.getElementById('replays').open))) await t.page.click('#replays summary');
}
// Presses key, then lets n ticks of the game pass.
async function press(key, n) {
  await t.page.keyboard.press(key);
  const from = await ticks();
  await waitFor((to) => Module._WebTestTicks() >= to, from + n);
}
// A replay of the page's storage put there as the game would ({name: text}).
const keep = (name, text) => t.page.evaluate(([n, x]) => {
  const list = JSON.parse(localStorage.getItem('zux/replays') || '[]').concat([{ name: n, date: n, ticks: 1 }]);
  localStorage.setItem('zux/replays', JSON.stringify(list));
  localStorage.setItem('zux/replay/' + n, x);
}, [name, text]);

test('a run played with real keys is kept, the newest 20, and its download plays to a match in zux-headless', async () => {
  // Twenty older replays in storage already (put there from a page that runs no game).
  await t.page.goto(t.url + 'keys/intro.keys');
  const old = Array.from({ length: 20 }, (_, i) => `2000-01-01_00-00-${String(i).padStart(2, '0')}.zuxreplay`);
  await t.page.evaluate((names) => {
    localStorage.clear();
    localStorage.setItem('zux/replays', JSON.stringify(names.map((name) => ({ name, date: name, ticks: 1 }))));
    for (const n of names) localStorage.setItem('zux/replay/' + n, '# zux replay 1\n');
  }, old);

  // The intro left, a game of type A, a piece moved, turned and dropped, then F8.
  await t.page.goto(t.url + '?test');
  await running(t);
  for (const [key, n] of [['Digit1', 20], ['ArrowDown', 10], ['Enter', 70], ['KeyX', 20], ['Space', 60],
    ['ArrowLeft', 10], ['KeyZ', 10], ['Space', 30]]) await press(key, n);
  await press('F8', 0);
  await waitFor(() => document.body.classList.contains('over'));

  const index = await t.page.evaluate(() => JSON.parse(localStorage.getItem('zux/replays')).map((e) => e.name));
  assert.strictEqual(index.length, 20);
  assert.deepStrictEqual(index.slice(0, 19), old.slice(1), 'the oldest went');
  assert.strictEqual(await t.page.evaluate((n) => localStorage.getItem('zux/replay/' + n), old[0]), null);
  await openPanel();
  assert.strictEqual(await t.page.locator('#list tr').count(), 20);

  const row = t.page.locator(`#list tr[data-name="${index[19]}"]`);
  assert.match(await row.textContent(), /^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\d+ ticks/);
  const [download] = await Promise.all([t.page.waitForEvent('download'), row.locator('text=Download').click()]);
  assert.strictEqual(download.suggestedFilename(), index[19]);
  const dir = programFolder();
  try {
    const file = path.join(dir, 'run.zuxreplay');
    await download.saveAs(file);
    const text = fs.readFileSync(file, 'utf8');
    assert.match(text, /^# version zux .*, web build$/m);
    assert.match(text, /^\d+ down 4$/m, 'Z turned the piece');
    const out = execFileSync(Headless, ['--dir', dir, '--replay', file], { encoding: 'utf8' });
    assert.match(out, /^replay matches \(\d+ ticks\)$/m);
  } finally {
    fs.rmSync(dir, { recursive: true });
  }
});

test('docs/game.zuxreplay through the file picker and a share link plays to a match; the player\'s files stay', async () => {
  // The player's files: another skin, sound off, drop on (read, they would change every frame of the game).
  const dir = programFolder();
  headlessTrace(dir, 'menus.keys', 800);
  const settings = fs.readFileSync(path.join(dir, 'SS.dat')).toString('base64');
  fs.rmSync(dir, { recursive: true });
  await t.page.goto(t.url + 'keys/intro.keys');
  await t.page.evaluate((ss) => {
    localStorage.setItem('zux/SS.dat', ss);
    localStorage.setItem('zux/HS.dat', btoa('scores of the player'));
  }, settings);

  // The file picker: Space pauses and goes on, + speeds up, and the verdict comes.
  await t.page.goto(t.url);
  await openPanel();
  const [chooser] = await Promise.all([t.page.waitForEvent('filechooser'), t.page.click('#open')]);
  await chooser.setFiles(Game);
  await waitStatus(/^Watching game\.zuxreplay/);
  const before = await stored(); // as the page left them that was played
  await waitFor(() => window.Module && Module.calledRun && Module._WebTestPresents() > 20);
  await t.page.keyboard.press('Space');
  await t.page.waitForTimeout(100);
  const paused = await t.page.evaluate(() => Module._WebTestPresents());
  await t.page.waitForTimeout(400);
  assert.strictEqual(await t.page.evaluate(() => Module._WebTestPresents()), paused, 'paused');
  await t.page.keyboard.press('Space');
  for (let i = 0; i < 4; i++) await t.page.keyboard.press('+');
  await waitStatus(/^game\.zuxreplay: replay matches \(440 ticks\)$/);
  await waitFor(() => document.body.classList.contains('over'));
  assert.deepStrictEqual(await stored(), before, 'watching leaves SS.dat and HS.dat as they were');

  // A link: kept, copied from the panel, opened.
  await t.page.goto(t.url + 'keys/intro.keys');
  await keep('game.zuxreplay', fs.readFileSync(Game, 'utf8'));
  await t.page.goto(t.url);
  await openPanel();
  await t.page.locator('#list tr[data-name="game.zuxreplay"] >> text=Copy link').click();
  await waitStatus(/^(Link copied|The link) \(\d+ characters\)/);
  const link = await t.page.getAttribute('#link', 'href');
  assert.ok(link.startsWith(t.url + '#replay='), link);
  await t.page.goto(t.url + 'keys/intro.keys'); // the game played saves its files as it is left
  const files = await stored();
  await t.page.goto(link);
  await waitStatus(/^Watching the link/);
  for (let i = 0; i < 4; i++) await t.page.keyboard.press('+');
  await waitStatus(/^the link: replay matches \(440 ticks\)$/);
  assert.deepStrictEqual(await stored(), files, 'watching a link leaves SS.dat and HS.dat as they were');

  // Escape stops a replay.
  await t.page.reload();
  await waitStatus(/^Watching the link/);
  await t.page.keyboard.press('Escape');
  await waitStatus(/^the link: replay stopped at tick \d+ of 440$/);
  assert.deepStrictEqual(await stored(), files, 'stopped, the files are as they were');
});

test('a damaged file shows its error; a replay too long for a link gets a message', async () => {
  await t.page.goto(t.url);
  await waitFor(() => window.zuxReplays);
  await openPanel();
  const [chooser] = await Promise.all([t.page.waitForEvent('filechooser'), t.page.click('#open')]);
  await chooser.setFiles({ name: 'bad.zuxreplay', mimeType: 'text/plain',
    buffer: Buffer.from('# zux replay 1\n# file SS.dat absent\n# file HS.dat absent\n5 dance 1\n') });
  await waitStatus(/^bad\.zuxreplay: line 4: unknown action/);
  assert.ok(await t.page.isVisible('#retry'));

  // Checkpoints of random hashes do not compress: too long for a link.
  await t.page.goto(t.url + 'keys/intro.keys');
  const lines = Array.from({ length: 8000 }, (_, i) => `# frame ${10 * i + 10} ${Math.random().toString(16).slice(2, 10)}${Math.random().toString(16).slice(2, 10)}`);
  await keep('long.zuxreplay', `# zux replay 1\n${lines.join('\n')}\n`);
  await t.page.goto(t.url);
  await openPanel();
  await t.page.locator('#list tr[data-name="long.zuxreplay"] >> text=Copy link').click();
  await waitStatus(/^long\.zuxreplay is too long for a link \(at most 65536 characters\)/);
  assert.strictEqual(await t.page.$('#link[href]'), null);
});
