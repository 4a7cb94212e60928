// The page around the game module: the canvas at a whole-number scale, the
// files kept in the browser's storage, Web Audio, the touch buttons, the
// "Play again" screen, a failed start said with its reason, the replay viewer's
// keys and the service worker that keeps the site offline. Every file of the
// build is asked for with its build's name (?v=), so the service worker never
// hands this page another build's. URL parameters: ?test exposes zuxTest to a
// test; ?script=KEYS&ticks=N[&store] runs a headless key file on a virtual
// clock (storage only with store) and leaves the report in zuxResult; ?watch
// (and a #replay= link) watches a replay (see replays.js).
'use strict';

var zuxPage = (function () {
  var params = new URLSearchParams(location.search);
  var build = document.documentElement.dataset.build;
  var script = params.get('script');
  var store = !script || params.has('store');
  var watching = null; // the replay watched, {name, text}
  var canvas = document.getElementById('canvas');
  var context = canvas.getContext('2d');
  var image = null;
  var frames = 0;
  var audio = null;
  var sounds = {};
  var playing = null;
  var wanted = null;
  var touch = matchMedia('(pointer: coarse)').matches || 'ontouchstart' in window;

  // The files fetched at once, while the script loads; what cannot be fetched
  // stops the start with its reason. as: the response's method to read it, or
  // none for the response itself.
  function fetchFile(name, url, as) {
    var got = fetch(url).then(function (r) {
      if (!r.ok) throw new Error('HTTP ' + r.status + (r.statusText ? ' ' + r.statusText : ''));
      return as ? r[as]() : r;
    }).catch(function (e) {
      var offline = navigator.onLine === false ? ' (the browser is offline)' : '';
      failed(name + ' could not be fetched: ' + (e.message || e) + offline);
      throw e;
    });
    got.catch(function () { /* said above */ });
    return got;
  }
  var data = fetchFile('Data.zux', 'Data.zux?v=' + build, 'arrayBuffer');
  var wasm = fetchFile('The game module (zux.wasm)', 'zux.wasm?v=' + build, null);
  var keys = script ? fetchFile(script, script, 'text') : null;

  // Compiles the module as it arrives when the server names it as WebAssembly.
  function instantiate(imports, receive) {
    wasm.then(function (r) {
      if (WebAssembly.instantiateStreaming && /^application\/wasm/.test(r.headers.get('Content-Type')))
        return WebAssembly.instantiateStreaming(r, imports);
      return r.arrayBuffer().then(function (bytes) { return WebAssembly.instantiate(bytes, imports); });
    }).then(function (got) { receive(got.instance); },
      function (e) { failed('The game module could not be started: ' + (e.message || e)); });
    return {};
  }

  function fit() {
    // Room under the screen for the pad, the status line and the closed panel.
    var below = (touch ? document.getElementById('pad').offsetHeight : 0) +
      document.getElementById('status').offsetHeight + document.querySelector('#replays summary').offsetHeight + 12;
    var s = Math.floor(Math.min(innerWidth / 240, (innerHeight - below) / 320));
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
    if (path.indexOf('/replays/') >= 0) {
      try {
        zuxReplays.saved(path.slice(path.lastIndexOf('/') + 1), Module.FS.readFile(path, { encoding: 'utf8' }));
      } catch (e) { /* a refused storage keeps no replay */ }
      return;
    }
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
    if (watching) document.getElementById('again').textContent = 'Play zux';
    document.body.classList.add('over');
    document.getElementById('again').focus();
  }

  // A fresh run is a fresh page, as a fresh program; the files are in storage.
  // After watching, the page plays.
  function playAgain() {
    if (watching) location.assign(zuxReplays.here);
    else location.reload();
  }

  // The game cannot start (or go on): the reason over the screen, and a way
  // to try again.
  function failed(reason) {
    if (document.body.classList.contains('failed')) return;
    if (reason) document.getElementById('reason').textContent = reason;
    document.body.classList.add('failed');
    document.getElementById('retry').focus();
  }

  // A replay the game refused, with the line and the problem.
  function refused(error) {
    zuxReplays.status(watching.name + ': ' + error);
    document.getElementById('retry').textContent = 'Play zux';
    failed('This replay cannot be watched.');
  }

  // Escape (or F8), Space, + and - reach the replay as its viewer's controls.
  function viewerKey(e) {
    var control = { Escape: 1, F8: 1, ' ': 2, '+': 3, '=': 3, '-': 4, '_': 4 }[e.key];
    if (!control || e.ctrlKey || e.altKey || e.metaKey) return;
    e.preventDefault();
    if (!e.repeat && Module._WebViewerControl) Module._WebViewerControl(control);
  }

  function verdict(line) {
    if (/^replay /.test(line)) zuxReplays.status((watching ? watching.name + ': ' : '') + line);
    else console.log(line);
  }

  function registerWorker() {
    if ('serviceWorker' in navigator && build !== '@' + 'BUILD@')
      navigator.serviceWorker.register('sw.js').catch(function () { /* played online only */ });
  }

  function scriptDone(result) { window.zuxResult = result; }

  // Each touch button is a key: down while a finger holds it, several at once.
  function listenPad() {
    document.querySelectorAll('#pad button').forEach(function (b) {
      var vk = parseInt(b.dataset.vk, 16), held = {};
      function down(e) {
        e.preventDefault();
        unlock();
        try { b.setPointerCapture(e.pointerId); } catch (err) { /* released where it lifts */ }
        if (Object.keys(held).length === 0 && window.Module && Module._WebTouchKey) Module._WebTouchKey(vk, 1);
        held[e.pointerId] = true;
      }
      function up(e) {
        if (!held[e.pointerId]) return;
        delete held[e.pointerId];
        if (Object.keys(held).length === 0 && window.Module && Module._WebTouchKey) Module._WebTouchKey(vk, 0);
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
  document.getElementById('retry').addEventListener('click', playAgain);
  listenPad();
  fit();

  function programArguments() {
    if (script) return ['--script', '/script.keys', '--ticks', params.get('ticks') || '1000'];
    if (watching) return ['--replay', '/watch.zuxreplay'];
    return (params.has('test') ? ['--log'] : []).concat(['--record', '/zux/replays/' + zuxReplays.newName()]);
  }

  // The module starts once it is known whether this page plays or watches.
  function load(watch) {
    if (watch && watch.error) {
      watching = watch;
      refused(watch.error);
      return;
    }
    if (watch && !script) {
      watching = watch;
      store = false; // the player's own files stay out of it
      addEventListener('keydown', viewerKey, true);
      zuxReplays.status('Watching ' + watch.name + ': Space pauses, + and - change the speed, Escape stops.');
    }
    window.Module = {
      arguments: programArguments(),
      print: verdict,
      instantiateWasm: instantiate,
      onAbort: function (what) { failed('The game stopped: ' + what); },
      onRuntimeInitialized: registerWorker,
      preRun: [function () {
        Module.addRunDependency('zux-files');
        Promise.all([data, keys]).then(function (got) {
          Module.FS.mkdir('/zux');
          Module.FS.writeFile('/zux/Data.zux', new Uint8Array(got[0]));
          if (got[1] !== null) Module.FS.writeFile('/script.keys', got[1]);
          if (watching) Module.FS.writeFile('/watch.zuxreplay', watching.text);
          if (store) loadStored(Module.FS);
          Module.removeRunDependency('zux-files');
        }, function () { /* said by failed() */ });
      }],
    };
    var module = document.createElement('script');
    module.src = 'zux.js?v=' + build;
    module.onerror = function () {
      failed('The game module (zux.js) could not be fetched' +
        (navigator.onLine === false ? ' (the browser is offline).' : '.'));
    };
    document.body.appendChild(module);
  }

  if (typeof WebAssembly !== 'object') failed('This browser cannot run zux: it has no WebAssembly.');
  else zuxReplays.pending.then(load);

  if (params.has('test')) {
    // Nothing has happened until the module runs.
    var ready = function () { return window.Module && Module.calledRun; };
    window.zuxTest = {
      ticks: function () { return ready() ? Module._WebTestTicks() : 0; },
      presents: function () { return ready() ? Module._WebTestPresents() : 0; },
      screen: function () { return ready() ? Module._WebTestScreen() : -1; },
      log: function () { return ready() ? Module.UTF8ToString(Module._WebTestLog()) : ''; },
    };
  }

  return {
    putFrame: putFrame, playSound: playSound, stopSound: stopSound, fileSaved: fileSaved,
    ended: ended, failed: failed, refused: refused, scriptDone: scriptDone, firstIntroFrame: 0,
    soundsStarted: 0,
  };
})();
