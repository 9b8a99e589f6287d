// The page's download worker, a service worker served beside the page
// (brisol-download.js): it answers the page's request for a result with a
// stream that the page fills as the result is made, so the browser's
// download takes it piece by piece and nothing gathers it in memory. Each
// piece the download asks for is asked of the page ("more"), so at most a
// few pieces wait here. The page hears "started" once the download has
// fetched the stream.
'use strict';

// Pieces the stream holds before it stops asking for more.
const kQueued = 4;
const streams = new Map();

self.addEventListener('install', () => self.skipWaiting());
self.addEventListener('activate', event => event.waitUntil(self.clients.claim()));

self.addEventListener('message', event => {
    const { id, name, port } = event.data;
    const stream = new ReadableStream({
        start(controller) {
            port.onmessage = ({ data }) => {
                if (data === 'end') controller.close();
                else if (data === 'abort') {
                    streams.delete(id);
                    controller.error(new Error('stopped'));
                } else controller.enqueue(data);
            };
        },
        pull() {
            port.postMessage('more');
        },
        cancel() {
            port.postMessage('gone');
        },
    }, new CountQueuingStrategy({ highWaterMark: kQueued }));
    streams.set(id, { name, stream, port });
    port.postMessage('ready');
});

self.addEventListener('fetch', event => {
    const match = /\/brisol-download\/([0-9a-f]+)$/.exec(new URL(event.request.url).pathname);
    const id = match && match[1];
    if (!id || !streams.has(id)) return;
    const { name, stream, port } = streams.get(id);
    streams.delete(id);
    port.postMessage('started');
    event.respondWith(new Response(stream, {
        headers: {
            'Content-Type': 'application/octet-stream',
            'Content-Disposition': "attachment; filename*=UTF-8''" + encodeURIComponent(name),
        },
    }));
});
