// Calls into the WebAssembly module, shared by the page and its workers.
// Texts go in as UTF-8 bytes with their length (a zero byte among them
// stays part of the text) and are wiped from the module's memory after the
// call; a Uint8Array goes in as it is and is wiped as well.
'use strict';

const utf8 = new TextEncoder();

function callModule(brisol, fn, args) {
    const held = [];
    const flat = [];
    for (const arg of args) {
        if (typeof arg === 'string' || arg instanceof Uint8Array) {
            const bytes = typeof arg === 'string' ? utf8.encode(arg) : arg;
            const at = brisol._malloc(bytes.length + 1);
            brisol.HEAPU8.set(bytes, at);
            brisol.HEAPU8[at + bytes.length] = 0;
            held.push([at, bytes.length + 1]);
            flat.push(at, bytes.length);
            if (bytes !== arg) bytes.fill(0);
        } else {
            flat.push(arg);
        }
    }
    try {
        return fn(...flat);
    } finally {
        for (const [at, size] of held) {
            brisol.HEAPU8.fill(0, at, at + size);
            brisol._free(at);
        }
    }
}

// The text a call returns.
function moduleText(brisol, fn, ...args) {
    return brisol.UTF8ToString(callModule(brisol, fn, args));
}
