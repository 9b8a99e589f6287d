#!/usr/bin/python3
"""The page in one headless browser engine against brisol-cli: the same
bytes both ways, through the download and (behind a stand-in save dialog,
which cannot be driven headless) the streaming writer, with the window's
rules, texts and refusals, and no request beyond the page itself.

Usage: page_test.py BRISOL_HTML BRISOL_CLI chromium|webkit|firefox"""
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import zlib

from browser import ENGINES
from selenium.webdriver.common.keys import Keys

PAGE, CLI = map(os.path.abspath, sys.argv[1:3])
ENGINE = sys.argv[3]
WORK = tempfile.mkdtemp(prefix="brisol-web-")
CHUNK = 512
MIB = 1024 * 1024
COMPLETED = "Operation completed... OK"

# Replaces the save dialog with a file that keeps only its length and CRC-32.
STAND_IN_PICKER = """
window.saved = null;
window.quota = Infinity;
window.showSaveFilePicker = async ({ suggestedName }) => ({ name: suggestedName,
                                                           remove: async () => { window.saved.removed = true; },
                                                           createWritable: async () => {
    const table = new Int32Array(256).map((_, n) => {
        for (let k = 0; k < 8; k++) n = n & 1 ? 0xEDB88320 ^ (n >>> 1) : n >>> 1;
        return n;
    });
    const file = window.saved = { name: suggestedName, size: 0, crc: -1, closed: false, aborted: false };
    return {
        write: async bytes => {
            if (file.size + bytes.length > window.quota) throw new DOMException('quota', 'QuotaExceededError');
            let crc = file.crc;
            for (let i = 0; i < bytes.length; i++) crc = table[(crc ^ bytes[i]) & 255] ^ (crc >>> 8);
            file.crc = crc;
            file.size += bytes.length;
        },
        close: async () => { file.closed = true; },
        abort: async () => { file.aborted = true; },
    };
} });
"""


def path(name):
    return os.path.join(WORK, name)


def make(name, size, seed=1):
    data = bytes((i * 131 + seed * 7 + (i >> 9)) & 255 for i in range(min(size, MIB))) if size < 2 * MIB \
        else None
    with open(path(name), "wb") as f:
        if data is not None:
            f.write(data[:size])
        else:
            left = size
            while left:
                block = os.urandom(min(left, 16 * MIB))
                f.write(block)
                left -= len(block)
    return path(name)


def cli(command, source, output, passwords=("first", "second"), *options):
    keys = path("keys")
    with open(keys, "w", encoding="utf-8") as f:
        f.write("\n".join(passwords) + "\n")
    subprocess.run([CLI, command, "--password-file", keys, *options, "-o", output, source], check=True,
                   stderr=subprocess.DEVNULL)
    return output


def read(name):
    with open(name, "rb") as f:
        return f.read()


def crc(name):
    value = 0
    with open(name, "rb") as f:
        while block := f.read(16 * MIB):
            value = zlib.crc32(block, value)
    return value


# A page takes a private copy over the save dialog; without a private file
# system, as Chromium from disk, it takes the dialog.
NO_PRIVATE_FILES = """
if (navigator.storage) navigator.storage.getDirectory = () => Promise.reject(new DOMException('none', 'SecurityError'));
"""


class Page:
    def __init__(self, browser, url="file://" + PAGE, picker=False, private_files=False):
        self.b = browser
        for name in os.listdir(browser.downloads):
            os.remove(os.path.join(browser.downloads, name))
        browser.open(url)
        browser.js((STAND_IN_PICKER + ("" if private_files else NO_PRIVATE_FILES)) if picker
                   else "window.showSaveFilePicker = undefined;")

    def choose(self, *files, element="chooser"):
        self.b.js(f"document.getElementById('{element}').hidden = false")
        self.b.upload(element, files)
        self.b.js(f"document.getElementById('{element}').hidden = true")

    def run(self, button, password1="first", password2="second", codepage="CP1252", wait=True, extension=".src"):
        self.b.js("""
            document.getElementById('control_101').value = arguments[0];
            document.getElementById('control_102').value = arguments[1];
            document.getElementById('codepage').value = arguments[2];
            document.getElementById('control_320').value = arguments[4];
            document.getElementById('message').hidden = true;
            document.getElementById(arguments[3]).click();""", password1, password2, codepage, button, extension)
        return self.message() if wait else None

    def message(self):
        return self.b.wait(lambda: self.b.js(
            "const m = document.getElementById('message');"
            "return !m.hidden && document.getElementById('cancel').disabled && "
            "document.getElementById('message-text').textContent"), 300)

    def download(self, name):
        target = os.path.join(self.b.downloads, name)
        self.b.wait(lambda: os.path.exists(target) and
                    not self.b.downloading(), 120)
        # WebKit may show the file before its bytes land: it is done once
        # it holds still.
        while True:
            data = read(target)
            time.sleep(0.3)
            if read(target) == data:
                return data

    def saved(self):
        return self.b.wait(lambda: self.b.js("return window.saved && window.saved.closed && window.saved"), 300)


CASES = []


class Skip(Exception):
    """A row the engine cannot do, with the reason."""


def case(function):
    CASES.append(function)
    return function


SIZES = [0, 1, CHUNK - 1, CHUNK, CHUNK + 1, MIB + 7]


@case
def same_bytes_as_the_cli_both_ways(b):
    for size in SIZES:
        plain = make(f"plain-{size}", size)
        for button, source, expected in [
            ("control_202", plain, cli("crypt", plain, path(f"expected-{size}.bsl"))),
            ("control_203", cli("crypt", plain, path(f"made-{size}")), plain),
        ]:
            page = Page(b)
            page.choose(source)
            assert page.run(button) == COMPLETED, size
            name = os.path.basename(source) + (".bsl" if button == "control_202" else ".src")
            assert page.download(name) == read(expected), (size, button)


@case
def two_hundred_mib_through_the_streaming_writer(b):
    plain = make("large", 200 * MIB)
    encrypted = cli("crypt", plain, path("large.bsl"))
    for button, source, expected in [("control_202", plain, encrypted), ("control_203", encrypted, plain)]:
        page = Page(b, picker=True)
        page.choose(source)
        assert page.run(button).startswith(COMPLETED)
        saved = page.saved()
        assert saved["size"] == os.path.getsize(expected)
        assert (saved["crc"] ^ 0xFFFFFFFF) & 0xFFFFFFFF == crc(expected), button


@case
def drops_and_locking_as_in_the_window(b):
    first, last = make("dropped-first", 700), make("dropped-last", 900, seed=2)
    page = Page(b)
    assert enabled(b) == {"202": False, "203": False, "201": True, "101": True, "102": True, "204": True}
    assert b.js("return document.getElementById('status-file').textContent") == "File: "
    b.js("const i = document.createElement('input'); i.type = 'file'; i.multiple = true; i.id = 'drag';"
         "i.hidden = true; document.body.append(i);")
    page.choose(first, last, element="drag")
    drop = ("const t = new DataTransfer(); for (const f of document.getElementById('drag').files) t.items.add(f);"
            "document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: t, bubbles: true }));")
    b.js(drop)
    assert b.js("return document.getElementById('status-file').textContent") == "File: dropped-last"
    assert page.run("control_202") == COMPLETED
    assert page.download("dropped-last.bsl") == read(cli("crypt", last, path("dropped.bsl")))
    # Success locks all but Info and, since a phone has no drop, Open FILE...;
    # a later drop frees Crypt and Decrypt alone.
    assert enabled(b) == {"202": False, "203": False, "201": True, "101": False, "102": False, "204": True}
    b.js(drop)
    assert enabled(b) == {"202": True, "203": True, "201": True, "101": False, "102": False, "204": True}
    # A folder is refused as the window refuses one; the file stays current.
    b.js("const e = new Event('drop', { bubbles: true }); Object.defineProperty(e, 'dataTransfer', { value: {"
         " files: [new File([], 'folder')], items: [{ webkitGetAsEntry: () => ({ isDirectory: true }) }] } });"
         "document.body.dispatchEvent(e);")
    assert b.js("return document.getElementById('message-text').textContent") == \
        'Cannot open "folder": Is a directory'
    assert b.js("return document.getElementById('status-file').textContent") == "File: dropped-last"


def enabled(b):
    return b.js("const e = {}; for (const id of ['202', '203', '201', '101', '102', '204'])"
                " e[id] = !document.getElementById('control_' + id).disabled; return e;")


@case
def the_about_box_takes_no_escape(b):
    if ENGINE == "firefox":
        raise Skip("headless Firefox over WebDriver BiDi types into fields but does not press a button by Enter")
    Page(b)
    b.js("document.getElementById('control_204').click()")
    assert b.js("return document.activeElement.id") == "control_303"
    for _ in range(2):
        b.press(Keys.ESCAPE)
    assert b.js("return document.getElementById('about').open")
    b.press(Keys.ENTER)
    assert not b.js("return document.getElementById('about').open")


@case
def passwords_in_a_code_page(b):
    plain = make("cyrillic", 1500)
    passwords = ("пароль", "ключ Ё")
    expected = cli("crypt", plain, path("cyrillic-1251.bsl"), passwords, "--codepage", "CP1251")
    page = Page(b)
    page.choose(plain)
    assert page.run("control_202", *passwords, codepage="CP1251") == COMPLETED
    assert page.download("cyrillic.bsl") == read(expected)
    page = Page(b)
    page.choose(plain)
    assert page.run("control_202", "first", "ключ", codepage="CP1252") == \
        "PASSWORD-2 has a character that code page CP1252 cannot represent."
    assert not os.listdir(b.downloads)


@case
def an_empty_password_is_warned_of_in_crypt_only(b):
    plain = make("empty-key", 700)
    encrypted = cli("crypt", plain, path("empty-key.bsl"), ("", "second"))
    for button, source, password1, warned in [("control_202", plain, "", True),
                                              ("control_202", plain, "first", False),
                                              ("control_203", encrypted, "", False)]:
        page = Page(b)
        page.choose(source)
        text = page.run(button, password1)
        assert text.startswith(COMPLETED) and ("PASSWORD-1 is empty" in text) == warned, (button, text)
        assert (b.js("return document.getElementById('message').className") == "warning") == warned


@case
def the_extension_is_read_as_the_window_reads_it(b):
    encrypted = cli("crypt", make("named", 600), path("named.bsl"))
    for extension, outcome in [(".html/x", "named.bsl.html"), ("/ab", "The extension cannot contain")]:
        page = Page(b)
        page.choose(encrypted)
        text = page.run("control_203", extension=extension)
        if outcome.startswith("named"):
            assert text == COMPLETED and page.download(outcome) == read(path("named")), text
        else:
            assert text.startswith(outcome) and not os.listdir(b.downloads), text


@case
def a_wrong_password_is_suspected(b):
    plain = path("notes.txt")
    with open(plain, "w") as f:
        f.write("Shopping list: bread, milk, apples, cheese and a newspaper.\n" * 40)
    encrypted = cli("crypt", plain, path("notes.txt.bsl"))
    for password2, hinted in [("second", False), ("wrong", True)]:
        page = Page(b)
        page.choose(encrypted)
        text = page.run("control_203", "first", password2)
        assert text.startswith(COMPLETED) and ("PASSWORD-1 or PASSWORD-2 may be wrong" in text) == hinted, text
        # A likely wrong password leaves the fields open for another try.
        assert enabled(b)["101"] == enabled(b)["202"] == hinted
        assert b.js("return document.getElementById('message').className") == \
            ("warning" if hinted else "information")


@case
def a_file_made_right_after_another(b):
    previous, plain = make("previous", 3 * CHUNK + 5), make("later", 2 * CHUNK + 3, seed=3)
    before = cli("crypt", previous, path("previous.bsl"))
    later = cli("crypt", plain, path("later.bsl"), ("first", "second"), "--after", before)
    # Crypt's GOST layer is its second stage, Decrypt's its first.
    for button, source, expected, name in [("control_202", plain, later, "later.bsl"),
                                           ("control_203", later, plain, "later.bsl.src")]:
        page = Page(b)
        page.choose(source)
        page.choose(before, element="after")
        assert page.run(button) == COMPLETED
        assert page.download(name) == read(expected), button


@case
def cancel_leaves_no_download(b):
    plain = make("cancelled", 64 * MIB) if not os.path.exists(path("large")) else path("large")
    encrypted = path("large.bsl") if os.path.exists(path("large.bsl")) else cli("crypt", plain, plain + ".bsl")
    for button, source, picker in [("control_202", plain, False), ("control_203", encrypted, False),
                                   ("control_202", plain, True)]:
        page = Page(b, picker=picker)
        page.choose(source)
        page.run(button, wait=False)
        b.wait(lambda: b.js("return document.getElementById('progress').value > 0"))
        b.js("document.getElementById('cancel').click()")
        assert page.message().startswith("Stopped: "), (button, page.message())
        assert not os.listdir(b.downloads)
        # The file the save dialog emptied is removed, not left at 0 bytes.
        if picker:
            assert b.js("return window.saved.aborted && window.saved.removed"), page.message()
        # Cancel is disabled at the end: the focus goes back to the command.
        assert b.js("return document.activeElement.id") == button
    # A full disk says what the desktop says, and leaves nothing either.
    page = Page(b, picker=True)
    page.choose(plain)
    b.js("window.quota = 3 * 1024 * 1024")
    assert page.run("control_202") == f'Cannot write "{os.path.basename(plain)}.bsl": No space left on device'
    assert b.js("return window.saved.aborted && window.saved.removed")


@case
def a_file_changed_after_its_choice_fails_and_leaves_no_download(b):
    # Grown, the first bytes still read as chosen; cut short, a read falls
    # short, before the run or while it reads. Only Chromium tells the page
    # that a file grew; the others show neither its new size nor its time
    # and read its first bytes as they were: the run is that of the file as
    # chosen.
    grow, cut = (lambda f: f.write(b"later")), (lambda f: f.truncate(MIB))
    changes = [("control_202", grow, False), ("control_203", cut, False), ("control_202", cut, True)]
    for button, change, running in changes[ENGINE != "chromium":]:
        source = make("changing", (64 if running else 5) * MIB)
        # Made a while ago, so that the change moves its time: engines tell
        # times apart by the second.
        made = time.time() - 60
        os.utime(source, (made, made))
        page = Page(b)
        page.choose(source)
        if not running:
            changed(source, change)
        page.run(button, wait=False)
        if running:
            b.wait(lambda: b.js("return document.getElementById('progress').value > 0"))
            changed(source, change)
        text = page.message()
        assert text == 'Cannot read "changing": The file changed size while it was read', (button, running, text)
        assert not os.listdir(b.downloads)


def changed(name, change):
    with open(name, "r+b") as f:
        f.seek(0, os.SEEK_END)
        change(f)


def private_files(b):
    """The names in the page's private file system, as JSON; "none" where it has none."""
    b.js("window.left = null; Promise.resolve().then(() => navigator.storage.getDirectory())"
         ".then(async root => { const names = []; for await (const name of root.keys()) names.push(name);"
         " window.left = JSON.stringify(names); }, () => { window.left = 'none'; });")
    return b.wait(lambda: b.js("return window.left"))


@case
def served_and_from_disk_it_asks_for_and_keeps_nothing(b):
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    handler = functools.partial(Quiet, directory=os.path.dirname(PAGE))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    plain = make("served", 2 * MIB - 1)
    encrypted = cli("crypt", plain, path("served.bsl"))
    try:
        for url in ["file://" + PAGE, f"http://127.0.0.1:{server.server_port}/{os.path.basename(PAGE)}"]:
            b.requests()
            for button, source, expected, name in [("control_202", plain, encrypted, "served.bsl"),
                                                   ("control_203", encrypted, plain, "served.bsl.src")]:
                # A save dialog is not asked where a private copy can be
                # made, nor where, served, the download worker streams.
                page = Page(b, url, picker=True, private_files=True)
                private = private_files(b) != "none"
                page.choose(source)
                message = page.run(button)
                assert message == COMPLETED, (url, button, message)
                streamed = b.js("return Boolean(navigator.serviceWorker && navigator.serviceWorker.controller)")
                if private or streamed:
                    assert page.download(name) == read(expected), (url, button)
                    assert not b.js("return window.saved"), (url, button)
                else:
                    assert (page.saved()["crc"] ^ 0xFFFFFFFF) & 0xFFFFFFFF == crc(expected), (url, button)
            if streamed and not private:
                # A streamed download stopped halfway is left to the person, and said.
                page = Page(b, url)
                page.choose(path("large"))
                page.run("control_202", wait=False)
                b.wait(lambda: b.js("return document.getElementById('progress').value > 0"))
                b.js("document.getElementById('cancel').click()")
                assert page.message().endswith("holds only part of the result: delete it."), page.message()
                # A download that never fetches its stream is given up for the save dialog.
                page = Page(b, url, picker=True)
                b.js("Object.defineProperty(HTMLIFrameElement.prototype, 'src', { set() {}, get() { return ''; } });")
                page.choose(plain)
                assert page.run("control_202") == COMPLETED
                assert (page.saved()["crc"] ^ 0xFFFFFFFF) & 0xFFFFFFFF == crc(encrypted)
            # Served, the page may fetch its download worker beside it.
            beside = url.rsplit("/", 1)[0] + "/brisol-download"
            extra = [u for u in b.requests() if u != url and not u.startswith(("data:", "blob:", beside))]
            assert not extra, extra
            assert not b.errors()
            assert b.js("return localStorage.length + sessionStorage.length + document.cookie.length") == 0
            # A result written to the private file system goes once it is downloaded.
            b.wait(lambda: private_files(b) in ("[]", "none"), 10)
    finally:
        server.shutdown()


AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules", "axe-core", "axe.min.js")
# At a desktop's size the window's look; at a phone's one column of controls.
LAYOUTS = [("desktop", 900, 800, False), ("phone", 360, 740, True)]


@case
def every_size_fits_and_axe_finds_nothing(b):
    with open(AXE, encoding="utf-8") as f:
        axe = f.read()
    try:
        for layout, width, height, phone in LAYOUTS:
            b.viewport(width, height)
            Page(b)
            b.js(axe + "; axe.run().then(r => { window.axeFound = JSON.stringify("
                 "r.violations.map(v => v.id + ': ' + v.help)); });")
            found = b.wait(lambda: b.js("return window.axeFound"))
            assert found == "[]", (layout, found)
            sizes = b.js("return { wide: document.documentElement.scrollWidth, shown: window.innerWidth, low:"
                         " [...document.querySelectorAll('button, input, select, summary')]"
                         ".filter(e => e.offsetParent !== null && e.getBoundingClientRect().height < 44)"
                         ".map(e => e.id || e.tagName) }")
            assert sizes["wide"] <= sizes["shown"], (layout, sizes)
            assert sizes["low"] if not phone else not sizes["low"], (layout, sizes)
    finally:
        b.viewport(900, 800)


def main():
    browser = ENGINES[ENGINE]()
    passed = failed = skipped = 0
    try:
        for function in CASES:
            try:
                function(browser)
                passed += 1
                print(ENGINE, "ok", function.__name__, flush=True)
            except Skip as reason:
                skipped += 1
                print(ENGINE, "skipped", function.__name__ + ":", reason, flush=True)
            except Exception:
                failed += 1
                print(ENGINE, "FAILED", function.__name__, flush=True)
                traceback.print_exc()
    finally:
        browser.close()
        shutil.rmtree(WORK, ignore_errors=True)
    print(f"{ENGINE}: {passed} passed, {skipped} skipped, {failed} failed")
    return 1 if failed else 0


sys.exit(main())
