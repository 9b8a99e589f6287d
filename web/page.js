// The page's own thread: builds the window's controls from the module's
// tables, forwards what happens to them to the window's rules in the module
// (page_window.cpp), carries out what the rules ask (Module.page below) and
// runs an operation they start in workers, its two stages. The result
// goes to a private copy on disk where the browser gives the page one, else
// to the file chosen in the save dialog where it has one, written as it
// comes; otherwise it is gathered into a Blob; the first and last are
// downloaded at the end.
'use strict';

(async () => {
    const binary = Uint8Array.from(atob(document.getElementById('module-binary').textContent),
                                   c => c.charCodeAt(0));
    // What the window's rules ask of the page; MessageKind's order.
    const kinds = ['information', 'warning', 'error'];
    const page = {
        setEnabled: (id, enabled) => { byId(id).disabled = !enabled; },
        setStatus: (part, text) => {
            (part === texts.progressPart ? status.progress : status.file).textContent = text;
        },
        field: id => byId(id).value,
        codepage: () => codepageChoice.value,
        chooseFile: () => chooser.click(),
        inform: (text, kind) => inform(text, kinds[kind]),
        showAbout: () => about.showModal(),
        begin: (...args) => begin(...args),
        cancel: () => {
            if (running && running.target) cancelStages();
        },
    };
    const brisol = await createBrisol({ wasmBinary: binary, page });
    const texts = JSON.parse(moduleText(brisol, brisol._brisol_page_texts));
    const ids = texts.ids;
    const byId = id => document.getElementById('control_' + id);
    const windowBox = document.getElementById('window');
    const status = {
        progress: document.getElementById('status-progress'),
        file: document.getElementById('status-file'),
    };
    const messageBox = document.getElementById('message');
    const progressBar = document.getElementById('progress');
    const cancelButton = document.getElementById('cancel');
    const codepageChoice = document.getElementById('codepage');
    const afterInput = document.getElementById('after');
    const chooser = document.getElementById('chooser');
    const workerUrl = URL.createObjectURL(new Blob(
        [document.getElementById('module-source').textContent,
         document.getElementById('calls-source').textContent,
         document.getElementById('worker-source').textContent],
        { type: 'text/javascript' }));
    // The first stage's workers, then the second's. Where workers may share
    // the first stage (Decrypt's GOST layer), two of them beside the second
    // stage's keep two cores busy; otherwise the first alone runs it.
    const kSharingWorkers = 2;
    const kRevokeDelayMs = 1000;
    // A download worker that has not answered, or a download that has not
    // fetched its stream, by then is given up for another way.
    const kDownloadStartMs = 5000;
    const kPrivatePrefix = 'brisol-result-';
    const kDownloadWorker = 'brisol-download.js';
    const kDownloadPath = 'brisol-download/';
    const randomName = () => [...crypto.getRandomValues(new Uint8Array(8))]
        .map(byte => byte.toString(16).padStart(2, '0')).join('');
    const kInFlight = 4;
    const workers = [...Array(kSharingWorkers + 1)].map(() => {
        const worker = new Worker(workerUrl);
        worker.postMessage({ type: 'module', binary });
        return worker;
    });

    // The module places the controls as the desktop does, from the page
    // font's size.
    const measure = document.createElement('span');
    measure.textContent = texts.widthSample;
    measure.className = 'measure';
    document.body.append(measure);
    const sample = measure.getBoundingClientRect();
    measure.remove();
    const placed = JSON.parse(moduleText(brisol, brisol._brisol_page_places, Math.round(sample.width),
        Math.round(sample.height)));
    function place(element, [x, y, width, height], ownSize) {
        element.style.left = x + 'px';
        element.style.top = y + 'px';
        if (ownSize) return;
        element.style.width = width + 'px';
        element.style.height = height + 'px';
    }

    const fieldKinds = { [ids.password1]: 'password', [ids.password2]: 'password', [ids.extension]: 'text' };
    function build(container, places, skip) {
        let label = null;
        for (const { name, text, rect } of places) {
            const id = Number(name.replace('control_', ''));
            if (name.startsWith('control_') && skip.includes(id)) continue;
            let element;
            if (!name.startsWith('control_')) {
                element = document.createElement('label');
                element.className = /platform|maker/.test(name) ? 'greyed' : '';
                label = element;
            } else if (fieldKinds[id]) {
                element = document.createElement('input');
                element.type = fieldKinds[id];
                element.value = text;
                element.spellcheck = false;
                // Passwords are neither offered from a browser's store nor
                // kept in it.
                element.autocomplete = fieldKinds[id] === 'password' ? 'new-password' : 'off';
                if (label) label.htmlFor = name;
            } else {
                element = document.createElement('button');
                element.type = 'button';
            }
            if (!fieldKinds[id]) element.textContent = name === 'label_platform' ? texts.platform : text;
            element.id = name;
            place(element, rect);
            container.append(element);
        }
    }
    document.title = texts.title;
    document.getElementById('title').textContent = texts.title;
    place(windowBox, [0, 0, placed.window[2], placed.window[3]]);
    // The logo takes its picture's own size, as in the window.
    place(document.getElementById('logo'), placed.logo, true);
    place(document.getElementById('frame'), placed.frame);
    // A page is closed by its tab, so it has no Quit.
    build(windowBox, placed.places, [ids.quit]);
    const about = document.getElementById('about');
    document.getElementById('about-title').textContent = texts.aboutTitle;
    const aboutBody = document.getElementById('about-body');
    place(aboutBody, [0, 0, placed.about[2], placed.about[3]]);
    build(aboutBody, placed.aboutPlaces, []);
    for (const name of texts.codepages) codepageChoice.add(new Option(name, name, false, name === texts.defaultCodepage));

    let current = null;      // the chosen File
    let chosen = null;       // it with its size and time when chosen
    let running = null;      // the operation in the workers

    // kind: "information", "warning" or "error", as the window marks them.
    function inform(text, kind = 'error') {
        messageBox.hidden = false;
        messageBox.className = kind;
        document.getElementById('message-caption').textContent = texts.caption;
        document.getElementById('message-text').textContent = text;
    }
    function setCurrent(file) {
        current = file;
        chosen = choiceOf(file);
    }

    brisol._brisol_page_open();
    // Served, the page may have its download worker beside it, which hands
    // the result to the browser's download as it is made; null without one.
    const downloadWorker = (async () => {
        if (!/^https?:$/.test(location.protocol) || !navigator.serviceWorker) return null;
        try {
            await navigator.serviceWorker.register(kDownloadWorker);
            await navigator.serviceWorker.ready;
            if (!navigator.serviceWorker.controller) {
                await new Promise(resolve =>
                    navigator.serviceWorker.addEventListener('controllerchange', resolve, { once: true }));
            }
            return navigator.serviceWorker.controller;
        } catch {
            return null;
        }
    })();
    // Which way the result will take, found by trying it once (openTarget).
    privateTarget('').then(async probe => {
        if (probe) await probe.abort();
        const picker = typeof window.showSaveFilePicker === 'function';
        const way = probe ? 'private-copy' : await downloadWorker ? 'streamed' : picker ? 'picker-empties' : 'no-picker';
        document.getElementById(way).hidden = false;
    });
    removeStalePrivateCopies();

    for (const id of [ids.openFile, ids.crypt, ids.decrypt, ids.info])
        byId(id).addEventListener('click', () => brisol._brisol_page_command(id));
    chooser.addEventListener('change', () => {
        if (chooser.files.length > 0) {
            setCurrent(chooser.files[0]);
            callModule(brisol, brisol._brisol_page_file_chosen, [current.name, 1]);
        }
        chooser.value = '';
    });
    chooser.addEventListener('cancel', () => callModule(brisol, brisol._brisol_page_file_chosen, ['', 0]));
    // The whole page takes drops, at any time; the last file dropped counts.
    document.addEventListener('dragover', event => event.preventDefault());
    document.addEventListener('drop', event => {
        event.preventDefault();
        const files = event.dataTransfer.files;
        if (files.length === 0) return;
        const last = files[files.length - 1];
        const item = event.dataTransfer.items[event.dataTransfer.items.length - 1];
        const entry = item && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
        const folder = Boolean(entry && entry.isDirectory);
        if (!folder) setCurrent(last);
        callModule(brisol, brisol._brisol_page_drop, [last.name, folder ? 1 : 0]);
    });
    byId(ids.aboutOk).addEventListener('click', () => about.close());
    // Escape does not close the About box, as in the window. The browser
    // lets a page refuse the cancel event only once per click, so the key
    // itself is refused too.
    about.addEventListener('cancel', event => event.preventDefault());
    about.addEventListener('keydown', event => {
        if (event.key === 'Escape') event.preventDefault();
    });

    // Where the result goes: a private copy downloaded at the end, a download
    // streamed as it comes, the save dialog's file, written as it comes, or
    // Blob parts downloaded at the end.
    // The private copy comes first, since a browser empties a file chosen in
    // its save dialog the moment it is chosen, and a stopped run would then
    // leave it empty. Null when the dialog was dismissed.
    async function openTarget(suggestedName) {
        const kept = await privateTarget(suggestedName) || await streamTarget(suggestedName);
        if (kept) return kept;
        if (typeof window.showSaveFilePicker === 'function') {
            let handle;
            try {
                handle = await window.showSaveFilePicker({ suggestedName });
            } catch (error) {
                if (error.name === 'AbortError') return null;
                throw error;
            }
            const stream = await handle.createWritable();
            return {
                name: handle.name,
                write: bytes => stream.write(bytes),
                close: () => stream.close(),
                // The browser emptied the chosen file when it was chosen, and
                // an empty file is no result: it goes, where the browser lets
                // the page remove it. The message then says what is left.
                abort: async () => {
                    await stream.abort();
                    try {
                        await handle.remove();
                        return '';
                    } catch {
                        return moduleText(brisol, brisol._brisol_left_empty, handle.name);
                    }
                },
            };
        }
        let parts = [];
        return {
            name: suggestedName,
            write: async bytes => { parts.push(new Blob([bytes])); },
            close: async () => {
                download(new Blob(parts), suggestedName, () => {});
                parts = [];
            },
            abort: async () => {
                parts = [];
                return '';
            },
        };
    }

    // Offers the result as a download. The download holds it from the click
    // on; the URL would keep a second hold on it until the page is closed.
    function download(result, name, downloaded) {
        const link = document.createElement('a');
        const url = URL.createObjectURL(result);
        link.href = url;
        link.download = name;
        link.click();
        setTimeout(() => {
            URL.revokeObjectURL(url);
            downloaded();
        }, kRevokeDelayMs);
    }

    // Where the browser gives the page a private file system it can write
    // as it goes (Firefox, and Chromium when served), the result is written
    // there and downloaded from there, so a large result needs free disk
    // rather than free memory; its private copy goes once the download has
    // it. A lock of its name marks it in use for as long as this page lives,
    // so a page that went before removing its copy leaves it to the next.
    // Null where there is none.
    async function privateTarget(suggestedName) {
        let root;
        let handle;
        let stream;
        let release = () => {};
        const name = kPrivatePrefix + randomName();
        try {
            root = await navigator.storage.getDirectory();
            await new Promise((locked, failed) => {
                navigator.locks.request(name, () => {
                    locked();
                    return new Promise(resolve => { release = resolve; });
                }).catch(failed);
            });
            handle = await root.getFileHandle(name, { create: true });
            stream = await handle.createWritable();
        } catch {
            if (handle) await root.removeEntry(name).catch(() => {});
            release();
            return null;
        }
        const remove = () => root.removeEntry(name).catch(() => {}).finally(release);
        return {
            name: suggestedName,
            write: bytes => stream.write(bytes),
            close: async () => {
                await stream.close();
                download(await handle.getFile(), suggestedName, remove);
            },
            abort: async () => {
                await stream.abort().catch(() => {});
                await remove();
                return '';
            },
        };
    }

    // A download that the download worker streams: each piece goes to it
    // once it has asked for one, so only a few wait there. Null where the
    // page has no download worker, or where the download does not start.
    async function streamTarget(suggestedName) {
        const worker = await downloadWorker;
        if (!worker) return null;
        const id = randomName();
        const { port1: port, port2 } = new MessageChannel();
        let asked = 0;
        let gone = false;
        let wake = () => {};
        let readied, started;
        const ready = new Promise(resolve => { readied = resolve; });
        const asking = new Promise(resolve => { started = resolve; });
        port.onmessage = ({ data }) => {
            if (data === 'ready') readied(true);
            if (data === 'started') started(true);
            if (data === 'more') asked++;
            if (data === 'gone') gone = true;
            wake();
        };
        const inTime = promise => Promise.race([promise,
            new Promise(resolve => setTimeout(() => resolve(false), kDownloadStartMs))]);
        worker.postMessage({ id, name: suggestedName, port: port2 }, [port2]);
        if (!await inTime(ready)) return null;
        // In a frame of its own: a navigation of the page would let go of the
        // chosen file.
        const frame = document.createElement('iframe');
        frame.hidden = true;
        frame.src = kDownloadPath + id;
        document.body.append(frame);
        if (!await inTime(asking)) {
            port.postMessage('abort');
            frame.remove();
            return null;
        }
        return {
            name: suggestedName,
            write: async bytes => {
                while (asked === 0 && !gone) await new Promise(resolve => { wake = resolve; });
                if (gone) throw new DOMException('The download was stopped', 'AbortError');
                asked--;
                // A copy goes, so the slice can be zeroed as every target's is.
                const piece = bytes.slice();
                port.postMessage(piece, [piece.buffer]);
            },
            // The frame goes once the download has the end. A download
            // stopped halfway keeps what it had (WebKitGTK keeps it under the
            // result's name), so the message says so.
            close: async () => {
                port.postMessage('end');
                setTimeout(() => frame.remove(), kRevokeDelayMs);
            },
            abort: async () => {
                port.postMessage('abort');
                frame.remove();
                return moduleText(brisol, brisol._brisol_left_partial, suggestedName);
            },
        };
    }

    // A private copy whose lock nobody holds belongs to a page that went
    // before it could remove it.
    async function removeStalePrivateCopies() {
        try {
            const root = await navigator.storage.getDirectory();
            for await (const name of root.keys()) {
                if (!name.startsWith(kPrivatePrefix)) continue;
                await navigator.locks.request(name, { ifAvailable: true }, async lock => {
                    if (lock) await root.removeEntry(name);
                });
            }
        } catch {
            // No private file system, nothing to remove.
        }
    }

    // A file as chosen: a read that disagrees with its size or time then
    // finds it changed since.
    function choiceOf(file) {
        return { file, size: file.size, lastModified: file.lastModified };
    }

    // Reads on the page's own thread, where every engine lets a page opened
    // from disk read a chosen file (a worker's read may be refused there). A
    // read that comes back short, or a file whose size or time moved, is a
    // file changed while it was read, as the desktop says; the message is
    // thrown. An engine that checks the file's time itself refuses the read
    // (as not readable, or as not found), and keeps the old size and time.
    async function readBytes(choice, start, end) {
        const { file } = choice;
        const changed = () => file.size !== choice.size || file.lastModified !== choice.lastModified;
        let bytes;
        try {
            bytes = new Uint8Array(await file.slice(start, end).arrayBuffer());
        } catch (error) {
            if (changed() || ['NotReadableError', 'NotFoundError'].includes(error.name)) {
                throw moduleText(brisol, brisol._brisol_input_changed, file.name);
            }
            throw moduleText(brisol, brisol._brisol_file_error, 0, file.name, String(error.message));
        }
        if (bytes.length !== end - start || changed()) {
            bytes.fill(0);
            throw moduleText(brisol, brisol._brisol_input_changed, file.name);
        }
        return bytes;
    }

    // Feeds the first stage's workers (one port each) their slices in the
    // file's order, transferred, each worker no more than kInFlight slices
    // read and not yet written, so memory stays flat however large the file
    // is. A worker that shares the stage gets each slice but the first with
    // the input block before it in front. A failed read goes to fail().
    function feedSlices(choice, ports, fail) {
        const sliceBytes = brisol._brisol_slice_bytes();
        const blockBytes = brisol._brisol_block_bytes();
        const shares = ports.length;
        const room = ports.map(() => kInFlight);
        let wake = () => {};
        let stopped = false;
        (async () => {
            for (let at = 0, slice = 0; at < choice.size; at += sliceBytes, slice++) {
                const share = slice % shares;
                while (room[share] === 0 && !stopped) await new Promise(resolve => { wake = resolve; });
                if (stopped) return;
                room[share]--;
                let bytes;
                try {
                    bytes = await readBytes(choice, shares > 1 && at > 0 ? at - blockBytes : at,
                                            Math.min(choice.size, at + sliceBytes));
                } catch (text) {
                    if (!stopped) fail(text);
                    return;
                }
                if (stopped) return bytes.fill(0);
                ports[share].postMessage(bytes, [bytes.buffer]);
            }
        })();
        return {
            written: slice => {
                room[slice % shares]++;
                wake();
            },
            stop: () => {
                stopped = true;
                wake();
                for (const port of ports) port.close();
            },
        };
    }

    // How a run ends, as brisol_page_end() takes it.
    const End = { succeeded: 0, failed: 1, cancelled: 2, dismissed: 3 };

    // The rules found nothing to refuse: the run starts, unless the "made
    // right after" file is too short, which is said at once. The passwords
    // come as UTF-8 bytes, the module's reading of the fields.
    function begin(direction, outputName, password1, password2, codepage) {
        const after = afterInput.files.length > 0 ? choiceOf(afterInput.files[0]) : null;
        const afterOffset = after ? brisol._brisol_after_offset(after.size) : -1;
        if (after && afterOffset < 0) {
            password1.fill(0);
            password2.fill(0);
            return moduleText(brisol, brisol._brisol_after_refusal, after.file.name);
        }
        messageBox.hidden = true;
        running = { direction, file: current, name: outputName };
        run(running, chosen, after, afterOffset, [password1, password2], codepage);
        return '';
    }

    // Hands the run's end to the rules.
    function finish(op, how, text = '', note = '', hint = { kind: '', looksRandom: false }) {
        running = null;
        callModule(brisol, brisol._brisol_page_end, [how, text, note, hint.kind, hint.looksRandom ? 1 : 0]);
        refocus(op.direction);
    }

    // The passwords and the register block are wiped however the run
    // starts or fails to.
    async function run(op, choice, after, afterOffset, passwords, codepage) {
        const { direction } = op;
        let afterBlock = new Uint8Array(0);
        try {
            try {
                if (after) afterBlock = await readBytes(after, afterOffset, afterOffset + brisol._brisol_block_bytes());
            } catch (text) {
                return finish(op, End.failed, text);
            }
            let target;
            try {
                target = await openTarget(op.name);
            } catch (error) {
                return finish(op, End.failed, moduleText(brisol, brisol._brisol_file_error, 1, op.name, String(error.message)));
            }
            if (!target) return finish(op, End.dismissed);
            op.target = target;
            op.writeFailure = null;
            op.writes = Promise.resolve();
            op.ended = 0;
            op.failure = null;
            op.stopped = false;
            progressBar.value = 0;
            cancelButton.disabled = false;
            // Each first-stage worker's slices go straight to the second
            // stage's worker; the page feeds the first-stage worker another
            // slice for each of its slices written.
            const shares = brisol._brisol_first_stage_shared(direction) ? kSharingWorkers : 1;
            op.workers = workers.slice(0, shares + 1);
            const slices = Array.from({ length: shares }, () => new MessageChannel());
            const feeds = slices.map(() => new MessageChannel());
            op.workers.forEach((worker, index) => {
                const stage = index < shares ? 0 : 1;
                const layer = brisol._brisol_stage_password(direction, stage);
                const password = passwords[layer - 1].slice();
                const block = layer === 1 ? afterBlock.slice() : new Uint8Array(0);
                const ports = stage === 0 ? { next: slices[index].port1, feed: feeds[index].port2 }
                                          : { from: slices.map(channel => channel.port2) };
                worker.postMessage({ type: 'run', direction, stage, share: index, shares, size: choice.size,
                                     name: choice.file.name, password, codepage, afterBlock: block, ...ports },
                                   [password.buffer, block.buffer, ...Object.values(ports).flat()]);
            });
            op.feed = feedSlices(choice, feeds.map(channel => channel.port1), text => {
                if (op.failure) return;
                op.failure = text;
                cancelStages();
            });
        } finally {
            afterBlock.fill(0);
            passwords.forEach(bytes => bytes.fill(0));
        }
    }

    function cancelStages() {
        for (const worker of running.workers) worker.postMessage({ type: 'cancel' });
    }

    // A full disk is what the browser calls its storage quota.
    function writeFailureText(name, error) {
        const reason = error.name === 'QuotaExceededError' ? texts.noSpace : String(error.message);
        return moduleText(brisol, brisol._brisol_file_error, 1, name, reason);
    }

    function report(done, total) {
        progressBar.value = total === 0 ? 1 : done / total;
        brisol._brisol_page_progress(done, total);
    }

    // Closes or gives up the target, then hands the end to the rules; a
    // failed write is the run's failure.
    async function end(how, text = '', hint = undefined) {
        const op = running;
        let note = '';
        try {
            await op.writes;
            if (how === End.succeeded && !op.writeFailure) await op.target.close();
            else note = await op.target.abort();
        } catch (error) {
            op.writeFailure = op.writeFailure || writeFailureText(op.target.name, error);
        }
        op.feed.stop();
        cancelButton.disabled = true;
        if (op.writeFailure) finish(op, End.failed, op.writeFailure, note);
        else finish(op, how, text, note, hint);
    }

    // The Cancel button is disabled at the end, and a locked control may
    // have had the focus: it goes back to the command that started the run,
    // or to Open FILE... where that one is locked.
    function refocus(direction) {
        const focused = document.activeElement;
        if (focused && focused !== document.body && !focused.disabled) return;
        const command = byId(direction === 0 ? ids.crypt : ids.decrypt);
        (command.disabled ? byId(ids.openFile) : command).focus();
    }

    // Each worker ends its stage with one message: done (the second stage's
    // with the completion), failed or cancelled. The operation ends when all
    // have; the first failure stops the others and is the one shown.
    function heard(message) {
        const op = running;
        if (message.type === 'data') {
            op.writes = op.writes.then(async () => {
                try {
                    if (op.writeFailure) return;
                    await op.target.write(message.bytes);
                    report(message.done, message.total);
                    op.feed.written(message.slice);
                } catch (error) {
                    op.writeFailure = writeFailureText(op.target.name, error);
                    cancelStages();
                } finally {
                    message.bytes.fill(0);
                }
            });
            return;
        }
        if (message.type === 'failed' && !op.failure) {
            op.failure = message.text;
            cancelStages();
        }
        if (message.type === 'cancelled') op.stopped = true;
        if (message.completion) op.completion = message.completion;
        if (++op.ended < op.workers.length) return;
        if (op.failure) return end(End.failed, op.failure);
        if (op.stopped) return end(End.cancelled);
        report(op.file.size, op.file.size);
        end(End.succeeded, '', op.completion);
    }
    for (const worker of workers) worker.onmessage = event => heard(event.data);

    cancelButton.addEventListener('click', () => brisol._brisol_page_cancel());
    document.body.dataset.ready = 'true';
})();
