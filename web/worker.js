// A worker of the page runs one stage of an operation at a time, so that the
// stages run on cores of their own. The first stage's workers read the file
// in slices of whole chunks, the next slice's read under way while they work
// on the one before, and hand each slice to the second stage's worker over a
// port of their own; that one puts the slices back in order and hands the
// result to the page. Each first-stage worker has no more than kInFlight
// slices read and not yet written, so memory stays flat however large the
// file is. A slice keeps one buffer from its read to the page, transferred at
// each hop, and the page zeroes it once written.
'use strict';

const kInFlight = 4;
// The page sends the module's bytes first.
let moduleReady = null;
let cancelled = false;
// Ends the stage's current wait, at Cancel.
let wake = () => {};

function post(message, transfer) {
    self.postMessage(message, transfer || []);
}

async function readBytes(brisol, file, start, end) {
    try {
        return new Uint8Array(await file.slice(start, end).arrayBuffer());
    } catch (error) {
        throw moduleText(brisol, brisol._brisol_file_error, 0, file.name, String(error.message));
    }
}

// Keys the stage from its own layer's password, which is wiped here.
async function begin(brisol, request) {
    const { direction, stage, password, codepage, after, afterOffset } = request;
    try {
        const blockEnd = afterOffset + brisol._brisol_block_bytes();
        const block = after ? await readBytes(brisol, after, afterOffset, blockEnd) : new Uint8Array(0);
        return callModule(brisol, brisol._brisol_begin, [direction, stage, password, codepage, block]);
    } finally {
        password.fill(0);
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

// Slices share, share + shares, ... of the file, each sent on with its
// number. A worker that shares the stage starts each slice but the file's
// first from the input block before it, read with the slice. True once every
// slice went on, false at Cancel.
async function firstStage(brisol, request, slicePtr) {
    const { file, next, credits, share, shares } = request;
    const sliceBytes = brisol._brisol_slice_bytes();
    const blockBytes = brisol._brisol_block_bytes();
    const restarts = shares > 1;
    let room = kInFlight;
    credits.onmessage = () => {
        room++;
        wake();
    };
    // A read's failure counts when its slice's turn comes, not before.
    const read = at => {
        const from = restarts && at > 0 ? at - blockBytes : at;
        const bytes = readBytes(brisol, file, from, Math.min(file.size, at + sliceBytes));
        bytes.catch(() => {});
        return bytes;
    };
    const stride = shares * sliceBytes;
    let reading = share * sliceBytes < file.size ? read(share * sliceBytes) : null;
    try {
        for (let at = share * sliceBytes; at < file.size; at += stride) {
            let bytes = await reading;
            reading = at + stride < file.size ? read(at + stride) : null;
            try {
                if (cancelled) return false;
                if (restarts && at > 0) {
                    const before = bytes.subarray(0, blockBytes);
                    callModule(brisol, brisol._brisol_restart, [before]);
                    before.fill(0);
                    bytes = bytes.subarray(blockBytes);
                }
                apply(brisol, slicePtr, bytes, file.name);
                while (room === 0 && !cancelled) await new Promise(resolve => { wake = resolve; });
                if (cancelled) return false;
                room--;
                next.postMessage({ slice: at / sliceBytes, bytes }, [bytes.buffer]);
            } finally {
                wipe(bytes);
            }
        }
        return true;
    } finally {
        if (reading) reading.then(wipe, () => {});
    }
}

// True once the whole result went to the page, false at Cancel.
function secondStage(brisol, request, slicePtr) {
    const { from, file } = request;
    let done = 0;
    let turn = 0;
    const early = new Map();
    let over = false;
    return new Promise((resolve, reject) => {
        const settle = (how, value) => {
            over = true;
            how(value);
        };
        wake = () => settle(resolve, false);
        if (cancelled) settle(resolve, false);
        else if (file.size === 0) settle(resolve, true);
        const take = ({ slice, bytes }) => {
            try {
                if (over) return;
                apply(brisol, slicePtr, bytes, file.name);
                done += bytes.length;
                post({ type: 'data', slice, bytes, done, total: file.size }, [bytes.buffer]);
                if (done === file.size) settle(resolve, true);
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
    const slicePtr = await begin(brisol, request);
    const first = request.stage === 0;
    if (!await (first ? firstStage : secondStage)(brisol, request, slicePtr)) return { type: 'cancelled' };
    if (first) {
        brisol._brisol_end();
        return { type: 'done' };
    }
    return { type: 'done', completion: JSON.parse(moduleText(brisol, brisol._brisol_finish, request.file.size)) };
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
        for (const port of message.stage === 0 ? [message.credits] : message.from) port.close();
    }
    if (outcome.type !== 'done') brisol._brisol_end();
    post(outcome);
};
