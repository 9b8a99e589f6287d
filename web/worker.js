// A worker of the page runs one stage of an operation at a time, so that each
// stage has a core of its own. The first stage's worker reads the file in
// slices of whole chunks, the next slice's read under way while it works on
// the one before, and hands each slice to the second stage's worker over a
// port of their own; that one hands the result to the page. No more than
// kInFlight slices are read and not yet written, so memory stays flat however
// large the file is. A slice keeps one buffer from its read to the page,
// transferred at each hop, and the page zeroes it once written.
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
        const block = after ? await readBytes(brisol, after, afterOffset, afterOffset + 8) : new Uint8Array(0);
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

// True once every slice went on, false at Cancel.
async function firstStage(brisol, request, slicePtr) {
    const { file, next, credits } = request;
    const sliceBytes = brisol._brisol_slice_bytes();
    let room = kInFlight;
    credits.onmessage = () => {
        room++;
        wake();
    };
    // A read's failure counts when its slice's turn comes, not before.
    const read = at => {
        const bytes = readBytes(brisol, file, at, Math.min(file.size, at + sliceBytes));
        bytes.catch(() => {});
        return bytes;
    };
    let reading = file.size > 0 ? read(0) : null;
    try {
        for (let at = 0; at < file.size; at += sliceBytes) {
            const bytes = await reading;
            reading = at + sliceBytes < file.size ? read(at + sliceBytes) : null;
            try {
                if (cancelled) return false;
                apply(brisol, slicePtr, bytes, file.name);
                while (room === 0 && !cancelled) await new Promise(resolve => { wake = resolve; });
                if (cancelled) return false;
                room--;
                next.postMessage(bytes, [bytes.buffer]);
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
    const { name, size } = file;
    let done = 0;
    return new Promise((resolve, reject) => {
        wake = () => resolve(false);
        if (size === 0) resolve(true);
        from.onmessage = event => {
            const bytes = event.data;
            try {
                if (cancelled) return;
                apply(brisol, slicePtr, bytes, name);
                done += bytes.length;
                post({ type: 'data', bytes, done, total: size }, [bytes.buffer]);
                if (done === size) resolve(true);
            } catch (failure) {
                reject(failure);
            } finally {
                wipe(bytes);
            }
        };
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
        for (const port of [message.credits, message.from]) if (port) port.close();
    }
    if (outcome.type !== 'done') brisol._brisol_end();
    post(outcome);
};
