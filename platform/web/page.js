// The page around the game module: the canvas at a whole-number scale, the
// files kept in the browser's storage, Web Audio, the touch buttons and the
// "Play again" screen. URL parameters: ?test exposes zuxTest to a test;
// ?script=KEYS&ticks=N[&store] runs a headless key file on a
// virtual clock (storage only with store) and leaves the report in zuxResult.
'use strict';

var zuxPage = (function () {
  var params = new URLSearchParams(location.search);
  var script = params.get('script');
  var store = !script || params.has('store');
  var canvas = document.getElementById('canvas');
  var context = canvas.getContext('2d');
  var image = null;
  var frames = 0;
  var audio = null;
  var sounds = {};
  var playing = null;
  var wanted = null;
  var touch = matchMedia('(pointer: coarse)').matches || 'ontouchstart' in window;

  // Both fetched at once, while the module compiles.
  var data = fetch('Data.zux').then(function (r) { return r.ok ? r.arrayBuffer() : null; });
  var keys = script ? fetch(script).then(function (r) { return r.text(); }) : null;

  function fit() {
    var pad = touch ? document.getElementById('pad').offsetHeight : 0;
    var s = Math.floor(Math.min(innerWidth / 240, (innerHeight - pad) / 320));
    s = Math.max(1, s);
    canvas.style.width = 240 * s + 'px';
    canvas.style.height = 320 * s + 'px';
  }

  function storageKey(path) { return 'zux/' + path.slice(path.lastIndexOf('/') + 1); }

  // A stored file back into the program's folder; what does not decode goes
  // in as it is, so the game sees a damaged file as it would on disk.
  function loadStored(FS) {
    ['SS.dat', 'HS.dat'].forEach(function (name) {
      var text = null;
      try { text = localStorage.getItem(storageKey(name)); } catch (e) { return; }
      if (text === null) return;
      var bytes;
      try { bytes = atob(text); } catch (e) { bytes = text; }
      var out = new Uint8Array(bytes.length);
      for (var i = 0; i < bytes.length; i++) out[i] = bytes.charCodeAt(i) & 255;
      FS.writeFile('/zux/' + name, out);
    });
  }

  // A file the game saved whole, into storage; a full or refused storage
  // leaves the game playing.
  function fileSaved(path) {
    if (!store) return;
    try {
      var bytes = Module.FS.readFile(path), text = '';
      for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
      localStorage.setItem(storageKey(path), btoa(text));
    } catch (e) { /* nothing to keep it in */ }
  }

  function putFrame(heap, at) {
    if (!image || image.data.buffer !== heap.buffer || image.at !== at) {
      image = new ImageData(new Uint8ClampedArray(heap.buffer, at, 240 * 320 * 4), 240, 320);
      image.at = at;
    }
    context.putImageData(image, 0, 0);
    // The first frame is the loading picture; the second the intro's.
    if (++frames === 2) zuxPage.firstIntroFrame = performance.now();
  }

  // Sound may start only after the player's first key, click or touch.
  function unlock() {
    if (audio) return;
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return;
    try { audio = new Context(); } catch (e) { return; }
    if (audio.resume) audio.resume();
    Object.keys(sounds).forEach(function (name) { decode(sounds[name]); });
  }

  function start(sound) {
    stopSound();
    playing = audio.createBufferSource();
    playing.buffer = sound.buffer;
    playing.connect(audio.destination);
    playing.start();
    zuxPage.soundsStarted++;
  }

  function decode(sound) {
    if (sound.decoding) return;
    sound.decoding = true;
    audio.decodeAudioData(sound.bytes.slice().buffer, function (buffer) {
      sound.buffer = buffer;
      // Played late only if nothing came after it and it is still news.
      if (wanted && wanted.sound === sound && performance.now() - wanted.at < 150) start(sound);
    }, function () { sound.bad = true; });
  }

  function playSound(name, bytes) {
    var sound = sounds[name];
    if (!sound || sound.bytes.length !== bytes.length) {
      sound = sounds[name] = { bytes: bytes.slice(), buffer: null, decoding: false, bad: false };
    }
    if (!audio || sound.bad) return;
    wanted = { sound: sound, at: performance.now() };
    if (sound.buffer) start(sound); else decode(sound);
  }

  function stopSound() {
    if (playing) {
      try { playing.stop(); } catch (e) { /* already over */ }
      playing = null;
    }
  }

  function ended() {
    stopSound();
    document.body.classList.add('over');
    document.getElementById('again').focus();
  }

  // A fresh run is a fresh page, as a fresh program; the files are in storage.
  function playAgain() { location.reload(); }

  function failed() { document.body.classList.add('failed'); }

  function scriptDone(result) { window.zuxResult = result; }

  // Each touch button is a key: down while a finger holds it, several at once.
  function listenPad() {
    document.querySelectorAll('#pad button').forEach(function (b) {
      var vk = parseInt(b.dataset.vk, 16), held = {};
      function down(e) {
        e.preventDefault();
        unlock();
        try { b.setPointerCapture(e.pointerId); } catch (err) { /* released where it lifts */ }
        if (Object.keys(held).length === 0 && Module._WebTouchKey) Module._WebTouchKey(vk, 1);
        held[e.pointerId] = true;
      }
      function up(e) {
        if (!held[e.pointerId]) return;
        delete held[e.pointerId];
        if (Object.keys(held).length === 0 && Module._WebTouchKey) Module._WebTouchKey(vk, 0);
      }
      b.addEventListener('pointerdown', down);
      b.addEventListener('pointerup', up);
      b.addEventListener('pointercancel', up);
      b.addEventListener('contextmenu', function (e) { e.preventDefault(); });
    });
  }

  ['keydown', 'pointerdown', 'touchstart'].forEach(function (type) {
    addEventListener(type, unlock, true);
  });
  if (touch) document.body.classList.add('touch');
  addEventListener('resize', fit);
  document.getElementById('again').addEventListener('click', playAgain);
  listenPad();
  fit();
  if (typeof WebAssembly !== 'object') failed();

  window.Module = {
    arguments: script
      ? ['--script', '/script.keys', '--ticks', params.get('ticks') || '1000']
      : params.has('test') ? ['--log'] : [],
    preRun: [function () {
      Module.addRunDependency('zux-files');
      Promise.all([data, keys]).then(function (got) {
        Module.FS.mkdir('/zux');
        if (got[0]) Module.FS.writeFile('/zux/Data.zux', new Uint8Array(got[0]));
        if (got[1] !== null) Module.FS.writeFile('/script.keys', got[1]);
        if (store) loadStored(Module.FS);
        Module.removeRunDependency('zux-files');
      });
    }],
  };

  if (params.has('test')) {
    window.zuxTest = {
      ticks: function () { return Module._WebTestTicks(); },
      presents: function () { return Module._WebTestPresents(); },
      screen: function () { return Module._WebTestScreen(); },
      log: function () { return Module.UTF8ToString(Module._WebTestLog()); },
    };
  }

  return {
    putFrame: putFrame, playSound: playSound, stopSound: stopSound, fileSaved: fileSaved,
    ended: ended, failed: failed, scriptDone: scriptDone, firstIntroFrame: 0, soundsStarted: 0,
  };
})();
