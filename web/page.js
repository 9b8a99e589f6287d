// The page's own thread: builds the window's controls from the module's
// tables, carries out the window's rules for them, asks the module whether an
// operation may start and hands its two stages to workers. The result
// goes to the file chosen in the save dialog where the browser has one,
// written as it comes; otherwise it is gathered into a Blob and downloaded at
// the end.
'use strict';

(async () => {
    const binary = Uint8Array.from(atob(document.getElementById('module-binary').textContent),
                                   c => c.charCodeAt(0));
    const brisol = await createBrisol({ wasmBinary: binary });
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
    const kPrivatePrefix = 'brisol-result-';
    const kInFlight = 4;
    const workers = [...Array(kSharingWorkers + 1)].map(() => {
        const worker = new Worker(workerUrl);
        worker.postMessage({ type: 'module', binary });
        return worker;
    });

    // Dialog units as the desktop converts them: a quarter of the font's
    // average letter width across, an eighth of its height down.
    const measure = document.createElement('span');
    measure.textContent = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz';
    measure.className = 'measure';
    document.body.append(measure);
    const unitX = measure.getBoundingClientRect().width / 52 / 4;
    const unitY = measure.getBoundingClientRect().height / 8;
    measure.remove();
    function place(element, [x, y, width, height], ownSize) {
        element.style.left = x * unitX + 'px';
        element.style.top = y * unitY + 'px';
        if (ownSize) return;
        element.style.width = width * unitX + 'px';
        element.style.height = height * unitY + 'px';
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
    place(windowBox, [0, 0, texts.window[2], texts.window[3]]);
    // The logo takes its picture's own size, as in the window.
    place(document.getElementById('logo'), texts.logo, true);
    place(document.getElementById('frame'), texts.frame);
    // A page is closed by its tab, so it has no Quit.
    build(windowBox, texts.places, [ids.quit]);
    const about = document.getElementById('about');
    document.getElementById('about-title').textContent = texts.aboutTitle;
    const aboutBody = document.getElementById('about-body');
    place(aboutBody, [0, 0, texts.about[2], texts.about[3]]);
    build(aboutBody, texts.aboutPlaces, []);
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
    function refreshFileStatus() {
        status.file.textContent = moduleText(brisol, brisol._brisol_file_status, current ? current.name : '');
    }
    function enableOperations() {
        byId(ids.crypt).disabled = false;
        byId(ids.decrypt).disabled = false;
    }
    function setCurrent(file) {
        current = file;
        chosen = choiceOf(file);
        enableOperations();
        refreshFileStatus();
    }

    // The window's opening: Crypt and Decrypt wait for a file.
    byId(ids.crypt).disabled = true;
    byId(ids.decrypt).disabled = true;
    refreshFileStatus();
    const picker = typeof window.showSaveFilePicker === 'function';
    if (picker) document.getElementById('picker-empties').hidden = false;
    else {
        // Which way the result will take, found by trying it once.
        privateTarget('').then(async probe => {
            if (probe) await probe.abort();
            document.getElementById(probe ? 'private-copy' : 'no-picker').hidden = false;
        });
    }
    removeStalePrivateCopies();

    byId(ids.openFile).addEventListener('click', () => chooser.click());
    chooser.addEventListener('change', () => {
        if (chooser.files.length > 0) setCurrent(chooser.files[0]);
        chooser.value = '';
    });
    chooser.addEventListener('cancel', () => {
        enableOperations();
        refreshFileStatus();
        inform(texts.fileOpenError);
    });
    // The whole page takes drops, at any time; the last file dropped counts.
    document.addEventListener('dragover', event => event.preventDefault());
    document.addEventListener('drop', event => {
        event.preventDefault();
        const files = event.dataTransfer.files;
        if (files.length === 0) return;
        const last = files[files.length - 1];
        const item = event.dataTransfer.items[event.dataTransfer.items.length - 1];
        const entry = item && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
        if (entry && entry.isDirectory) return inform(moduleText(brisol, brisol._brisol_folder_refusal, last.name));
        setCurrent(last);
    });
    byId(ids.info).addEventListener('click', () => about.showModal());
    byId(ids.aboutOk).addEventListener('click', () => about.close());
    // Escape does not close the About box, as in the window. The browser
    // lets a page refuse the cancel event only once per click, so the key
    // itself is refused too.
    about.addEventListener('cancel', event => event.preventDefault());
    about.addEventListener('keydown', event => {
        if (event.key === 'Escape') event.preventDefault();
    });

    // Where the result goes: the save dialog's file, written as it comes, or
    // Blob parts downloaded at the end. Null when the dialog was dismissed.
    async function openTarget(suggestedName) {
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
        const kept = await privateTarget(suggestedName);
        if (kept) return kept;
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
        const name = kPrivatePrefix + [...crypto.getRandomValues(new Uint8Array(8))]
            .map(byte => byte.toString(16).padStart(2, '0')).join('');
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

    function field(id) {
        return byId(id).value;
    }

    async function start(direction) {
        if (running) return inform(texts.busy);
        const name = current ? current.name : '';
        const codepage = codepageChoice.value;
        const refusal = moduleText(brisol, brisol._brisol_refusal, direction, name, field(ids.password1),
                                   field(ids.password2), field(ids.extension), codepage);
        if (refusal) return inform(refusal);
        const after = afterInput.files.length > 0 ? choiceOf(afterInput.files[0]) : null;
        const afterOffset = after ? brisol._brisol_after_offset(after.size) : -1;
        if (after && afterOffset < 0) return inform(moduleText(brisol, brisol._brisol_after_refusal, after.file.name));
        const outputName = moduleText(brisol, brisol._brisol_output_name, direction, name, field(ids.extension));
        const choice = chosen;
        running = { direction, file: current };
        let afterBlock = new Uint8Array(0);
        try {
            if (after) afterBlock = await readBytes(after, afterOffset, afterOffset + brisol._brisol_block_bytes());
        } catch (text) {
            running = null;
            return inform(text);
        }
        // As brisol-cli warns: allowed, since files were made that way.
        running.warnings = direction === 0
            ? [ids.password1, ids.password2].map((id, index) => field(id) === '' ? texts.emptyPasswords[index] : '')
                .filter(Boolean)
            : [];
        messageBox.hidden = true;
        let target;
        try {
            target = await openTarget(outputName);
        } catch (error) {
            running = null;
            return inform(moduleText(brisol, brisol._brisol_file_error, 1, outputName, String(error.message)));
        }
        if (!target) {
            running = null;
            return;
        }
        running.target = target;
        running.writeFailure = null;
        running.writes = Promise.resolve();
        running.ended = 0;
        running.failure = null;
        running.stopped = false;
        progressBar.value = 0;
        cancelButton.disabled = false;
        // Each first-stage worker's slices go straight to the second stage's
        // worker; the page feeds the first-stage worker another slice for each
        // of its slices written.
        const shares = brisol._brisol_first_stage_shared(direction) ? kSharingWorkers : 1;
        running.workers = workers.slice(0, shares + 1);
        const slices = Array.from({ length: shares }, () => new MessageChannel());
        const feeds = slices.map(() => new MessageChannel());
        const passwords = [field(ids.password1), field(ids.password2)];
        running.workers.forEach((worker, index) => {
            const stage = index < shares ? 0 : 1;
            const layer = brisol._brisol_stage_password(direction, stage);
            const password = utf8.encode(passwords[layer - 1]);
            const block = layer === 1 ? afterBlock.slice() : new Uint8Array(0);
            const ports = stage === 0 ? { next: slices[index].port1, feed: feeds[index].port2 }
                                      : { from: slices.map(channel => channel.port2) };
            worker.postMessage({ type: 'run', direction, stage, share: index, shares, size: choice.size,
                                 name: choice.file.name, password, codepage, afterBlock: block, ...ports },
                               [password.buffer, block.buffer, ...Object.values(ports).flat()]);
        });
        afterBlock.fill(0);
        const op = running;
        op.feed = feedSlices(choice, feeds.map(channel => channel.port1), text => {
            if (op.failure) return;
            op.failure = text;
            cancelStages();
        });
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
        status.progress.textContent = moduleText(brisol, brisol._brisol_progress_text, done, total);
    }

    // completion: the module's message, with whether the controls lock;
    // a failure's message alone; nothing after Cancel.
    async function end(completion) {
        const op = running;
        const succeeded = completion && completion.locks !== undefined;
        let leftEmpty = '';
        try {
            await op.writes;
            if (succeeded && !op.writeFailure) await op.target.close();
            else leftEmpty = await op.target.abort();
        } catch (error) {
            op.writeFailure = op.writeFailure || writeFailureText(op.target.name, error);
        }
        op.feed.stop();
        running = null;
        cancelButton.disabled = true;
        status.progress.textContent = '';
        const withLeftEmpty = text => [text, leftEmpty].filter(Boolean).join('\n');
        if (op.writeFailure) inform(withLeftEmpty(op.writeFailure));
        else if (!completion) {
            inform(withLeftEmpty(moduleText(brisol, brisol._brisol_cancelled, op.target.name)),
                   leftEmpty ? 'warning' : 'information');
        } else if (!succeeded) inform(withLeftEmpty(completion.text), completion.kind);
        else {
            if (completion.locks) for (const id of texts.locked) byId(id).disabled = true;
            const warned = op.warnings.length > 0 && completion.kind === 'information';
            inform([completion.text, ...op.warnings].join('\n'), warned ? 'warning' : completion.kind);
        }
        refocus(op.direction);
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
        if (op.failure) return end({ text: op.failure, kind: 'error' });
        if (op.stopped) return end(null);
        report(op.file.size, op.file.size);
        end(op.completion);
    }
    for (const worker of workers) worker.onmessage = event => heard(event.data);

    byId(ids.crypt).addEventListener('click', () => start(0));
    byId(ids.decrypt).addEventListener('click', () => start(1));
    cancelButton.addEventListener('click', () => {
        if (running && running.target) cancelStages();
    });
    document.body.dataset.ready = 'true';
})();
