// A worker of the page runs one stage of an operation at a time, so that the
// stages run on cores of their own. The page reads the file in slices of
// whole chunks on its own thread, since an engine may refuse a worker the
// read of a file chosen on a page opened from disk, and feeds each
// first-stage worker its slices over a port; each hands them on to the
// second stage's worker over a port of its own, and that one puts the slices
// back in order and hands the result to the page. A slice keeps one buffer
// from its read to the page, transferred at each hop, and the page zeroes it
// once written.
'use strict';

// The page sends the module's bytes first.
let moduleReady = null;
let cancelled = false;
// Ends the stage's current wait, at Cancel.
let wake = () => {};

function post(message, transfer) {
    self.postMessage(message, transfer || []);
}

// Keys the stage from its own layer's password and the register block of
// the file made before (empty without one), both wiped here.
function begin(brisol, request) {
    const { direction, stage, password, codepage, afterBlock } = request;
    try {
        return callModule(brisol, brisol._brisol_begin, [direction, stage, password, codepage, afterBlock]);
    } finally {
        password.fill(0);
        afterBlock.fill(0);
    }
}

// A slice transferred on is detached and has nothing left to zero.
function wipe(bytes) {
    if (bytes.length > 0) bytes.fill(0);
}

// The stage over one slice, in the module's slice buffer and back.
function apply(brisol, slicePtr, bytes, name) {
    brisol.HEAPU8.set(bytes, slicePtr);
    const refusal = moduleText(brisol, brisol._brisol_apply, bytes.length, name);
    if (refusal) throw refusal;
    bytes.set(brisol.HEAPU8.subarray(slicePtr, slicePtr + bytes.length));
}

// Slices share, share + shares, ... of the file, as the page feeds them,
// each sent on with its number. A worker that shares the stage starts each
// slice but the file's first from the input block before it, which the page
// reads in front of the slice. True once every slice went on, false at
// Cancel.
async function firstStage(brisol, request, slicePtr) {
    const { size, name, feed, next, share, shares } = request;
    const sliceBytes = brisol._brisol_slice_bytes();
    const blockBytes = brisol._brisol_block_bytes();
    const restarts = shares > 1;
    const fed = [];
    feed.onmessage = event => {
        fed.push(event.data);
        wake();
    };
    try {
        for (let at = share * sliceBytes; at < size; at += shares * sliceBytes) {
            while (fed.length === 0 && !cancelled) await new Promise(resolve => { wake = resolve; });
            if (cancelled) return false;
            let bytes = fed.shift();
            try {
                if (restarts && at > 0) {
                    const before = bytes.subarray(0, blockBytes);
                    callModule(brisol, brisol._brisol_restart, [before]);
                    before.fill(0);
                    bytes = bytes.subarray(blockBytes);
                }
                apply(brisol, slicePtr, bytes, name);
                next.postMessage({ slice: at / sliceBytes, bytes }, [bytes.buffer]);
            } finally {
                wipe(bytes);
            }
        }
        return true;
    } finally {
        for (const bytes of fed) wipe(bytes);
    }
}

// True once the whole result went to the page, false at Cancel.
function secondStage(brisol, request, slicePtr) {
    const { from, size, name } = request;
    let done = 0;
    let turn = 0;
    const early = new Map();
    let over = false;
    return new Promise((resolve, reject) => {
        // Slices that came early and wait for their turn hold results too.
        const settle = (how, value) => {
            over = true;
            for (const slice of early.values()) wipe(slice.bytes);
            early.clear();
            how(value);
        };
        wake = () => settle(resolve, false);
        if (cancelled) settle(resolve, false);
        else if (size === 0) settle(resolve, true);
        const take = ({ slice, bytes }) => {
            try {
                if (over) return;
                apply(brisol, slicePtr, bytes, name);
                done += bytes.length;
                post({ type: 'data', slice, bytes, done, total: size }, [bytes.buffer]);
                if (done === size) settle(resolve, true);
            } catch (failure) {
                settle(reject, failure);
            } finally {
                wipe(bytes);
            }
        };
        for (const port of from) {
            port.onmessage = event => {
                early.set(event.data.slice, event.data);
                while (early.has(turn)) {
                    const slice = early.get(turn);
                    early.delete(turn++);
                    take(slice);
                }
            };
        }
    });
}

async function run(brisol, request) {
    const slicePtr = begin(brisol, request);
    const first = request.stage === 0;
    if (!await (first ? firstStage : secondStage)(brisol, request, slicePtr)) return { type: 'cancelled' };
    if (first) {
        brisol._brisol_end();
        return { type: 'done' };
    }
    return { type: 'done', completion: JSON.parse(moduleText(brisol, brisol._brisol_finish, request.size)) };
}

self.onmessage = async event => {
    const message = event.data;
    if (message.type === 'module') {
        moduleReady = createBrisol({ wasmBinary: message.binary });
        return;
    }
    if (message.type === 'cancel') {
        cancelled = true;
        wake();
        return;
    }
    // Reset before the wait for the module, so that a Cancel behind it counts.
    cancelled = false;
    const brisol = await moduleReady;
    let outcome;
    try {
        outcome = await run(brisol, message);
    } catch (failure) {
        outcome = { type: 'failed', text: String(failure) };
    } finally {
        wake = () => {};
        for (const port of message.stage === 0 ? [message.feed] : message.from) port.close();
    }
    if (outcome.type !== 'done') brisol._brisol_end();
    post(outcome);
};
