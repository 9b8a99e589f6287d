// The worker that runs one operation at a time: it reads the file in slices
// of whole chunks, has the module apply both layers to each and hands each
// result to the page, one slice ahead at most, so memory stays flat however
// large the file is. Every buffer it filled is zeroed once passed on.
'use strict';

// The page sends the module's bytes first.
let moduleReady = null;
let cancelled = false;
let writtenWaiter = null;

function post(message, transfer) {
    self.postMessage(message, transfer || []);
}

async function readBytes(file, start, end) {
    return new Uint8Array(await file.slice(start, end).arrayBuffer());
}

async function registerBlock(brisol, after, offset) {
    try {
        return await readBytes(after, offset, offset + 8);
    } catch (error) {
        throw moduleText(brisol, brisol._brisol_file_error, 0, after.name, String(error.message));
    }
}

async function run(brisol, request) {
    const { direction, file, passwords, codepage, after, afterOffset } = request;
    const block = after ? await registerBlock(brisol, after, afterOffset) : null;
    const [password1, password2] = passwords;
    const slicePtr = callModule(brisol, brisol._brisol_begin,
                                [direction, password1, password2, codepage, block || new Uint8Array(0)]);
    password1.fill(0);
    password2.fill(0);
    const sliceBytes = brisol._brisol_slice_bytes();
    let credit = Promise.resolve();
    for (let at = 0; at < file.size; at += sliceBytes) {
        const end = Math.min(file.size, at + sliceBytes);
        let bytes;
        try {
            bytes = await readBytes(file, at, end);
        } catch (error) {
            throw moduleText(brisol, brisol._brisol_file_error, 0, file.name, String(error.message));
        }
        if (cancelled) return false;
        brisol.HEAPU8.set(bytes, slicePtr);
        bytes.fill(0);
        const refusal = moduleText(brisol, brisol._brisol_apply, end - at, file.name);
        if (refusal) throw refusal;
        const result = brisol.HEAPU8.slice(slicePtr, slicePtr + (end - at));
        await credit;
        if (cancelled) return false;
        credit = new Promise(resolve => { writtenWaiter = resolve; });
        post({ type: 'data', bytes: result, done: end, total: file.size }, [result.buffer]);
    }
    await credit;
    return !cancelled;
}

self.onmessage = async event => {
    const message = event.data;
    if (message.type === 'module') {
        moduleReady = createBrisol({ wasmBinary: message.binary });
        return;
    }
    if (message.type === 'cancel') {
        cancelled = true;
        if (writtenWaiter) writtenWaiter();
        return;
    }
    if (message.type === 'written') {
        if (writtenWaiter) writtenWaiter();
        return;
    }
    const brisol = await moduleReady;
    cancelled = false;
    try {
        if (await run(brisol, message)) {
            post({ type: 'done', completion: JSON.parse(moduleText(brisol, brisol._brisol_finish, message.file.size)) });
        } else {
            brisol._brisol_abort();
            post({ type: 'cancelled' });
        }
    } catch (failure) {
        brisol._brisol_abort();
        post({ type: 'failed', text: String(failure) });
    }
};
