#!/usr/bin/python3
"""The page's Crypt and Decrypt speed in each browser engine beside
brisol-cli --jobs 1 on the same file in the same run, and the page's memory
at a quarter of the size and at the whole size, so that one sees whether it
stays flat as the file grows.

Each engine saves the way the page picks for it, and the bench says which:
Chromium writes to the save dialog's file as the result is made (the dialog
is a stand-in that drops what it is given, so the page is measured reading
its file and making the result, not a disk writing it); Firefox writes to
its private file system as it goes and downloads from there; WebKitGTK
gathers the result in memory and downloads it at the end. A download is
waited for, at its full size, and removed after each run. brisol-cli writes
its output to a file in the same folder.

Memory is the resident growth, over the page just opened, of the engine's
content processes (the worker runs inside them); the rest of the browser,
its UI process and helpers, is shown beside it and not counted.

Usage: web_bench.py BRISOL_HTML BRISOL_CLI MIB ENGINE..."""
import os
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browser import ENGINES  # noqa: E402

PAGE, CLI = map(os.path.abspath, sys.argv[1:3])
MIB = int(sys.argv[3])
ENGINE_NAMES = sys.argv[4:]
RUN_SECONDS = 3600
SAMPLE_SECONDS = 0.1
MB_PER_MIB = 1.048576
DROPPING_PICKER = """
window.saved = null;
window.showSaveFilePicker = async () => ({ name: 'result', createWritable: async () => {
    const file = window.saved = { size: 0, closed: false };
    return { write: async bytes => { file.size += bytes.length; }, close: async () => { file.closed = true; },
             abort: async () => {} };
} });
"""
# The page shows which way its result takes once it has found out.
WAYS = {
    "picker-empties": "written as it is made to the save dialog's file (a stand-in that drops it)",
    "private-copy": "written as it is made to the private file system on disk, then downloaded",
    "no-picker": "GATHERED IN MEMORY and downloaded at the end: this engine has neither a save dialog nor "
                 "a private file system, so no streaming way, and its memory is not meant to stay flat",
}
# Which of an engine's processes run the page and its workers, told by
# their command line and their name. Chromium rewrites a renderer's command
# line as one string; Firefox forks its content processes from one server,
# so they share its command line and differ in name.
FIREFOX_CONTENT = {"Web Content", "file:// Content", "Isolated Web Co", "WebCOOP+COEP Co"}
CONTENT = {
    "chromium": lambda command, name: "--type=renderer" in command and "webui" not in command,
    "firefox": lambda command, name: name in FIREFOX_CONTENT,
    "webkit": lambda command, name: command.split(" ", 1)[0].endswith("/WebKitWebProcess"),
}


def root_pid(browser):
    """The process the engine's whole tree hangs from."""
    return browser.process.pid if browser.engine == "firefox" else browser.driver.service.process.pid


def resident(browser):
    """MiB of the engine's content processes and of the rest of its tree.
    Shared memory counts beside anonymous memory, since the engines hand
    bytes between their processes in it; mapped files do not."""
    parents, sizes, content = {}, {}, set()
    for pid in map(int, filter(str.isdigit, os.listdir("/proc"))):
        try:
            with open(f"/proc/{pid}/stat") as f:
                parents[pid] = int(f.read().rsplit(")", 1)[1].split()[1])
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read().decode(errors="replace").replace("\0", " ")
            with open(f"/proc/{pid}/comm") as f:
                name = f.read().rstrip("\n")
            with open(f"/proc/{pid}/status") as f:
                sizes[pid] = sum(int(line.split()[1]) for line in f if line.startswith(("RssAnon:", "RssShmem:")))
        except (OSError, IndexError, ValueError):
            continue
        if CONTENT[browser.engine](command, name):
            content.add(pid)
    tree, grown = {root_pid(browser)}, True
    while grown:
        more = {pid for pid, parent in parents.items() if parent in tree} - tree
        tree |= more
        grown = bool(more)
    counted = sum(sizes.get(pid, 0) for pid in tree & content)
    rest = sum(sizes.get(pid, 0) for pid in tree - content)
    return counted / 1024, rest / 1024


def way(browser):
    return browser.wait(lambda: browser.js(
        "return arguments[0].split(' ').find(id => !document.getElementById(id).hidden)", " ".join(WAYS)))


def private_files(browser):
    """How many files the page's private file system holds; none where it has none."""
    browser.js("window.left = null; Promise.resolve().then(() => navigator.storage.getDirectory())"
               ".then(async root => { let n = 0; for await (const _ of root.keys()) n++; window.left = n; },"
               " () => { window.left = 0; });")
    browser.wait(lambda: browser.js("return window.left !== null"))
    return browser.js("return window.left")


def landed(browser, size):
    """The download, once it is whole: one file of the result's size and no partial one."""
    names = os.listdir(browser.downloads)
    return not browser.downloading() and len(names) == 1 and \
        os.path.getsize(os.path.join(browser.downloads, names[0])) == size


def page_run(browser, source, button, size):
    """Seconds from the press to the page's message, and the peak growth over the
    page just opened of its content processes and of the rest of the browser
    until the result has landed. A run that ends in an error raises it."""
    browser.open("file://" + PAGE)
    if browser.js("return typeof window.showSaveFilePicker === 'function'"):
        browser.js(DROPPING_PICKER)
    taken = way(browser)
    browser.js("document.getElementById('chooser').hidden = false")
    browser.upload("chooser", [source])
    browser.js("document.getElementById('chooser').hidden = true;"
               "document.getElementById('control_101').value = 'first';"
               "document.getElementById('control_102').value = 'second';")
    idle = resident(browser)
    peak, done = list(idle), threading.Event()

    def sample():
        while not done.is_set():
            peak[:] = map(max, peak, resident(browser))
            time.sleep(SAMPLE_SECONDS)

    sampler = threading.Thread(target=sample)
    sampler.start()
    try:
        started = time.monotonic()
        browser.js(f"document.getElementById('{button}').click()")
        kind, text = browser.wait(lambda: browser.js(
            "const m = document.getElementById('message');"
            "return !m.hidden && document.getElementById('cancel').disabled && [m.className,"
            " document.getElementById('message-text').textContent]"), RUN_SECONDS)
        seconds = time.monotonic() - started
        if kind == "error":
            raise RuntimeError(text)
        if taken == "picker-empties":
            browser.wait(lambda: browser.js("return window.saved && window.saved.closed"))
        else:
            browser.wait(lambda: landed(browser, size), RUN_SECONDS)
    finally:
        done.set()
        sampler.join()
    if taken == "private-copy":
        browser.wait(lambda: private_files(browser) == 0)
    for name in os.listdir(browser.downloads):
        os.remove(os.path.join(browser.downloads, name))
    return taken, seconds, [p - i for p, i in zip(peak, idle)]


def cli_run(command, source, output):
    started = time.monotonic()
    # A random plain file gets the wrong-password warning, which says nothing here.
    subprocess.run([CLI, command, "--jobs", "1", "--password-file", keys, "-o", output, source], check=True,
                   stderr=subprocess.DEVNULL)
    return time.monotonic() - started


def bench(engine):
    """The engine's table; a run that fails is a row saying so, and the
    browser is started again for the next one."""
    browser = ENGINES[engine]()
    ways, speeds, memory = set(), [], {}
    try:
        for command, button, source_end, target_end in [("crypt", "control_202", "", ".bsl"),
                                                        ("decrypt", "control_203", ".bsl", "")]:
            for label, mib in sizes.items():
                source = files[label] + source_end
                try:
                    taken, seconds, growth = page_run(browser, source, button,
                                                      os.path.getsize(files[label] + target_end))
                except Exception as error:
                    memory[command, label] = f"failed: {type(error).__name__}: {' '.join(str(error).split())}"
                    if label == "whole":
                        speeds.append((command, memory[command, label]))
                    browser.close()
                    browser = ENGINES[engine]()
                    continue
                ways.add(taken)
                memory[command, label] = growth
                if label == "whole":
                    native = cli_run(command, source, os.path.join(work, "out"))
                    page, cli = mib * MB_PER_MIB / seconds, mib * MB_PER_MIB / native
                    speeds.append((command, f"{page:8.1f} {cli:20.1f} {page / cli:12.2f}"))
    finally:
        browser.close()
    print(f"\n== {engine}: the result is " + "; ".join(WAYS[w] for w in sorted(ways)) if ways
          else f"\n== {engine}: no run ended")
    print(f"{MIB} MiB file, MB/s (10^6 bytes a second), the page from the press to its message")
    print(f"{'':8} {'page':>8} {'brisol-cli --jobs 1':>20} {'page/native':>12}")
    for command, row in speeds:
        print(f"{command:8} {row}")
    print("resident growth over the opened page, MiB: content processes (rest of the browser, not counted)")
    print(f"{'':8} " + " ".join(f"{str(mib) + ' MiB file':>22}" for mib in sizes.values()))
    for command in ("crypt", "decrypt"):
        cells = []
        for label in sizes:
            value = memory[command, label]
            cells.append(value if isinstance(value, str) else f"{value[0]:8.0f} ({value[1]:6.0f})".rjust(22))
        print(f"{command:8} " + " ".join(cells))
    sys.stdout.flush()


work = tempfile.mkdtemp(prefix="brisol-web-bench-")
keys = os.path.join(work, "keys")
with open(keys, "w") as f:
    f.write("first\nsecond\n")
sizes = {"quarter": MIB // 4, "whole": MIB}
files = {}
try:
    for label, mib in sizes.items():
        files[label] = os.path.join(work, f"plain-{mib}")
        with open(files[label], "wb") as f:
            for _ in range(mib):
                f.write(os.urandom(1 << 20))
        subprocess.run([CLI, "crypt", "--password-file", keys, "-o", files[label] + ".bsl", files[label]],
                       check=True, stderr=subprocess.DEVNULL)
    for name in ENGINE_NAMES:
        bench(name)
finally:
    subprocess.run(["rm", "-rf", work])
