// The page's replays: every run's replay kept in the browser's storage (the
// newest 20), the panel that lists them with Download, Watch, Copy link and
// Delete, "Open replay" and a dropped file, and share links, which carry a
// replay compressed in the address's fragment (never sent to a server).
// Watching is a page of its own (?watch, or a #replay= link): a replay plays
// in a fresh program, as it does on the desktop.
'use strict';

var zuxReplays = (function () {
  var Keep = 20;
  var MaxLink = 65536; // characters of a share link; longer replays are downloaded
  var IndexKey = 'zux/replays', TextKey = 'zux/replay/', WatchKey = 'zux/watch';
  var LinkTag = '#replay=';
  var here = location.origin + location.pathname;
  var anchor = document.createElement('a'); // the last link made, shown in the status line
  anchor.id = 'link';
  anchor.textContent = 'the replay\'s link';

  function status(text) { document.getElementById('status').textContent = text; }

  // The stored replays, oldest first: {name, date, ticks}.
  function index() {
    try { return JSON.parse(localStorage.getItem(IndexKey)) || []; } catch (e) { return []; }
  }

  // A new run's replay name: its local start time, with -2, -3... when taken.
  function newName() {
    var d = new Date(), two = function (n) { return String(n).padStart(2, '0'); };
    var stamp = d.getFullYear() + '-' + two(d.getMonth() + 1) + '-' + two(d.getDate()) + '_' +
      two(d.getHours()) + '-' + two(d.getMinutes()) + '-' + two(d.getSeconds());
    var taken = index().map(function (e) { return e.name; }), name = stamp + '.zuxreplay';
    for (var i = 2; taken.indexOf(name) >= 0; i++) name = stamp + '-' + i + '.zuxreplay';
    return name;
  }

  // Keeps the replay the game has just saved (again) as the newest, dropping
  // the oldest beyond Keep, and more of them while the storage is full.
  function saved(name, text) {
    var end = /# end (\d+) /.exec(text.slice(-48)), date = /^# date (.{19})/m.exec(text);
    var list = index().filter(function (e) { return e.name !== name; });
    list.push({ name: name, date: date ? date[1] : name, ticks: end ? Number(end[1]) : 0 });
    for (;;) {
      while (list.length > Keep) localStorage.removeItem(TextKey + list.shift().name);
      try {
        localStorage.setItem(TextKey + name, text);
        localStorage.setItem(IndexKey, JSON.stringify(list));
        break;
      } catch (e) {
        if (list.length > 1) {
          localStorage.removeItem(TextKey + list.shift().name);
          continue;
        }
        status('The browser\'s storage is full: this run\'s replay is not kept.');
        break;
      }
    }
    show();
  }

  function remove(name) {
    localStorage.removeItem(TextKey + name);
    localStorage.setItem(IndexKey, JSON.stringify(index().filter(function (e) { return e.name !== name; })));
    show();
  }

  function download(name, text) {
    var a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
    a.download = name;
    a.click();
    setTimeout(function () { URL.revokeObjectURL(a.href); }, 1000);
  }

  // Watches a replay's text in a page of its own.
  function watch(name, text) {
    try {
      sessionStorage.setItem(WatchKey, JSON.stringify({ name: name, text: text }));
    } catch (e) {
      status(name + ' is too big for this browser\'s session storage.');
      return;
    }
    location.assign(here + '?watch');
  }

  function watchFile(file) {
    if (!file) return;
    file.text().then(function (text) { watch(file.name, text); },
      function () { status('Cannot read ' + file.name + '.'); });
  }

  function toBase64Url(bytes) {
    var text = '';
    for (var i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }

  function fromBase64Url(text) {
    var bytes = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
    return Uint8Array.from(bytes, function (c) { return c.charCodeAt(0); });
  }

  // The share link of a replay's text; null when it would be longer than MaxLink.
  function linkOf(text) {
    var packed = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
    return new Response(packed).arrayBuffer().then(function (buffer) {
      var link = here + LinkTag + toBase64Url(new Uint8Array(buffer));
      return link.length <= MaxLink ? link : null;
    });
  }

  function copyLink(name, text) {
    linkOf(text).then(function (link) {
      var a = anchor;
      if (!link) {
        a.removeAttribute('href');
        status(name + ' is too long for a link (at most ' + MaxLink + ' characters): download it instead.');
        return;
      }
      a.href = link;
      var said = function (copied) {
        status((copied ? 'Link copied' : 'The link') + ' (' + link.length + ' characters): ');
        document.getElementById('status').appendChild(a);
      };
      navigator.clipboard.writeText(link).then(function () { said(true); }, function () { said(false); });
    });
  }

  function button(label, action) {
    var b = document.createElement('button');
    b.textContent = label;
    b.addEventListener('click', action);
    return b;
  }

  // The panel's list, the newest first.
  function show() {
    var list = index(), body = document.getElementById('list');
    body.textContent = '';
    document.querySelector('#replays summary').textContent = 'Replays (' + list.length + ')';
    list.slice().reverse().forEach(function (e) {
      var text = function () { return localStorage.getItem(TextKey + e.name) || ''; };
      var row = body.insertRow();
      row.dataset.name = e.name;
      row.insertCell().textContent = e.date;
      row.insertCell().textContent = e.ticks + ' ticks';
      var cell = row.insertCell();
      cell.append(button('Download', function () { download(e.name, text()); }),
        button('Watch', function () { watch(e.name, text()); }),
        button('Copy link', function () { copyLink(e.name, text()); }),
        button('Delete', function () { remove(e.name); }));
    });
  }

  // The replay this page is to watch, {name, text} (or {name, error}); null to play.
  function pending() {
    if (location.hash.indexOf(LinkTag) === 0) {
      var unpacked;
      try {
        unpacked = new Blob([fromBase64Url(location.hash.slice(LinkTag.length))]).stream()
          .pipeThrough(new DecompressionStream('deflate-raw'));
      } catch (e) {
        return Promise.resolve({ name: 'the link', error: 'not a replay link' });
      }
      return new Response(unpacked).text().then(function (text) { return { name: 'the link', text: text }; },
        function () { return { name: 'the link', error: 'the link is cut short or damaged' }; });
    }
    if (!new URLSearchParams(location.search).has('watch')) return Promise.resolve(null);
    try {
      return Promise.resolve(JSON.parse(sessionStorage.getItem(WatchKey)));
    } catch (e) {
      return Promise.resolve(null);
    }
  }

  var file = document.getElementById('file');
  document.getElementById('open').addEventListener('click', function () { file.click(); });
  file.addEventListener('change', function () { watchFile(file.files[0]); });
  addEventListener('dragover', function (e) {
    e.preventDefault();
    document.body.classList.add('dragging');
  });
  addEventListener('dragleave', function () { document.body.classList.remove('dragging'); });
  addEventListener('drop', function (e) {
    e.preventDefault();
    document.body.classList.remove('dragging');
    watchFile(e.dataTransfer.files[0]);
  });
  // A link pasted into this tab changes only the fragment: watch it all the same.
  addEventListener('hashchange', function () {
    if (location.hash.indexOf(LinkTag) === 0) location.reload();
  });
  show();

  return { pending: pending(), newName: newName, saved: saved, status: status, here: here, MaxLink: MaxLink };
})();
