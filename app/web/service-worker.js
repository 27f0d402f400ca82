// Keeps the site's files so that Kadenzo starts without a network. The
// assembly of the site fills in the list of files and the cache's name,
// which changes with their contents: a new version replaces the old cache
// whole, and nothing but these files is ever kept.
'use strict';

const CACHE = '@CACHE@';
const FILES = @FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
      .then(() => self.clients.claim()));
});

// The site's own files come from the cache; anything else goes to the
// network untouched.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    caches.open(CACHE)
      .then((cache) => cache.match(request, {ignoreSearch: true}))
      .then((cached) => cached || fetch(request)));
});
