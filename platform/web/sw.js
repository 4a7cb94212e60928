// The page's service worker: keeps one build of the site (its files checked
// against the hashes the build wrote in below) in a cache named for that
// build, and answers from it, so the game starts offline. A new build installs
// beside the old one on a visit, takes over, and removes the old cache; the
// next visit runs it. A file asked for with another build's "?v=" is answered
// from that build's cache or not at all, so a page never mixes two builds.
'use strict';

const Build = '@BUILD@';
const Files = @FILES@; // name: SHA-256 of its bytes

// Every cache of this site (a sub-folder of a host may hold another) starts so.
const Prefix = `zux ${new URL('./', self.location).pathname} `;
const cacheName = (build) => Prefix + build;

const hex = (buffer) => Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');

// The response for name if its bytes are this build's; null otherwise.
async function fetchChecked(name, mode) {
  const response = await fetch(`${name}?v=${Build}`, { cache: mode });
  if (!response.ok) return null;
  const digest = hex(await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer()));
  return digest === Files[name] ? response : null;
}

// Fetches every file of the build, from the HTTP cache when it holds this
// build's (the page has just loaded them), else from the server.
async function precache() {
  const cache = await caches.open(cacheName(Build));
  for (const name of Object.keys(Files)) {
    if (await cache.match(name)) continue;
    const response = (await fetchChecked(name, 'default')) || (await fetchChecked(name, 'reload'));
    if (!response) throw new Error(`${name} on the server is not of build ${Build}`);
    await cache.put(name, response);
  }
}

self.addEventListener('install', (event) => event.waitUntil(precache().then(() => self.skipWaiting())));

self.addEventListener('activate', (event) => event.waitUntil((async () => {
  for (const name of await caches.keys())
    if (name.startsWith(Prefix) && name !== cacheName(Build)) await caches.delete(name);
  await self.clients.claim();
})()));

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url), scope = new URL('./', self.location);
  if (event.request.method !== 'GET' || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  const name = url.pathname.slice(scope.pathname.length) || 'index.html';
  if (!(name in Files)) return;
  const build = url.searchParams.get('v') || Build;
  event.respondWith((async () => {
    const cached = await caches.match(name, { cacheName: cacheName(build) });
    if (cached) return cached;
    if (build !== Build) return new Response(`${name} of build ${build} is gone`, { status: 410 });
    return fetch(event.request);
  })());
});
