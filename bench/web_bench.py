#!/usr/bin/python3
"""The page's Crypt and Decrypt speed in headless Chromium beside
brisol-cli --jobs 1 on the same file in the same run, and the page's memory
on the streaming path at a quarter of the size and at the whole size. The
save dialog is a stand-in that drops what it is given, so the page is
measured reading its file and making the result, not a disk writing it;
brisol-cli writes its output to a file in the same folder.

Usage: web_bench.py BRISOL_HTML BRISOL_CLI MIB"""
import os
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browser import Chromium as Browser  # noqa: E402

PAGE, CLI = map(os.path.abspath, sys.argv[1:3])
MIB = int(sys.argv[3])
DROPPING_PICKER = """
window.saved = null;
window.showSaveFilePicker = async () => ({ name: 'result', createWritable: async () => {
    const file = window.saved = { size: 0, closed: false };
    return { write: async bytes => { file.size += bytes.length; }, close: async () => { file.closed = true; },
             abort: async () => {} };
} });
"""


def renderer_rss(profile):
    """Private resident MiB of this browser's page processes (the worker runs
    inside them), less the browser's own pages and the shared program file."""
    total = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read()
            if b"--type=renderer" not in command or profile.encode() not in command or b"webui" in command:
                continue
            with open(f"/proc/{pid}/status") as f:
                total += next(int(line.split()[1]) for line in f if line.startswith("RssAnon:"))
        except (OSError, StopIteration):
            pass
    return total / 1024


def page_run(browser, source, button):
    """Seconds from the press to the completion message, and the peak RSS."""
    browser.open("file://" + PAGE)
    browser.js(DROPPING_PICKER)
    browser.js("document.getElementById('chooser').hidden = false")
    browser.driver.find_element("id", "chooser").send_keys(source)
    browser.js("document.getElementById('control_101').value = 'first';"
               "document.getElementById('control_102').value = 'second';")
    peak, done = [0.0], threading.Event()

    def sample():
        while not done.is_set():
            peak[0] = max(peak[0], renderer_rss(browser.profile))
            time.sleep(0.1)

    sampler = threading.Thread(target=sample)
    sampler.start()
    started = time.monotonic()
    browser.js(f"document.getElementById('{button}').click()")
    browser.wait(lambda: browser.js("return window.saved && window.saved.closed"), 3600)
    seconds = time.monotonic() - started
    done.set()
    sampler.join()
    return seconds, peak[0]


def cli_run(command, source, output):
    started = time.monotonic()
    # A random plain file gets the wrong-password warning, which says nothing here.
    subprocess.run([CLI, command, "--jobs", "1", "--password-file", keys, "-o", output, source], check=True,
                   stderr=subprocess.DEVNULL)
    return time.monotonic() - started


work = tempfile.mkdtemp(prefix="brisol-web-bench-")
keys = os.path.join(work, "keys")
with open(keys, "w") as f:
    f.write("first\nsecond\n")
sizes = {"quarter": MIB // 4, "whole": MIB}
files = {}
for label, mib in sizes.items():
    files[label] = os.path.join(work, f"plain-{mib}")
    with open(files[label], "wb") as f:
        for _ in range(mib):
            f.write(os.urandom(1 << 20))
    subprocess.run([CLI, "crypt", "--password-file", keys, "-o", files[label] + ".bsl", files[label]], check=True)

browser = Browser()
try:
    rows = []
    for command, button, source in [("crypt", "control_202", files["whole"]),
                                    ("decrypt", "control_203", files["whole"] + ".bsl")]:
        native = cli_run(command, source, os.path.join(work, "out"))
        page, _ = page_run(browser, source, button)
        rows.append((command, MIB * 1.048576 / page, MIB * 1.048576 / native))
    browser.open("file://" + PAGE)
    idle = renderer_rss(browser.profile)
    memory = {label: page_run(browser, files[label], "control_202")[1] for label in sizes}
finally:
    browser.close()
    subprocess.run(["rm", "-rf", work])

print(f"{MIB} MiB file, MB/s (10^6 bytes a second)")
print(f"{'':8} {'page':>8} {'brisol-cli --jobs 1':>20} {'page/native':>12}")
for command, page, native in rows:
    print(f"{command:8} {page:8.1f} {native:20.1f} {page / native:12.2f}")
print("page's private resident memory, idle and at its peak during a streaming Crypt:")
print(f"  idle:          {idle:6.0f} MiB")
for label, mib in sizes.items():
    print(f"  {mib:5} MiB file: {memory[label]:6.0f} MiB")
