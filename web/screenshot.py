#!/usr/bin/python3
"""docs/web-page.png: the page in headless Chromium after decrypting a small
file, with the completion message under the window; docs/web-page-phone.png
the same on a phone held upright (390 by 844 pixels, three device pixels to
one).

Usage: screenshot.py BRISOL_HTML OUTPUT_PNG   (the phone's beside it, -phone)"""
import os
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browser import Chromium as Browser  # noqa: E402

page, output = map(os.path.abspath, sys.argv[1:3])
work = tempfile.mkdtemp(prefix="brisol-shot-")
source = os.path.join(work, "report.txt.bsl")
with open(source, "wb") as f:
    f.write(bytes(range(256)) * 8)
# Desktop, then phone: the window's look, then the one column.
SCREENS = [("", {"width": 760, "height": 640, "deviceScaleFactor": 1, "mobile": False}),
           ("-phone", {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})]


def shoot(suffix, metrics):
    browser = Browser()
    try:
        browser.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
        if metrics["mobile"]:
            browser.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True})
        browser.open("file://" + page)
        browser.js("window.showSaveFilePicker = async () => ({ name: 'report.txt.bsl.src', createWritable:"
                   " async () => ({ write: async () => {}, close: async () => {}, abort: async () => {} }) });")
        browser.js("document.getElementById('chooser').hidden = false")
        browser.driver.find_element("id", "chooser").send_keys(source)
        browser.js("document.getElementById('chooser').hidden = true;"
                   "document.getElementById('control_101').value = 'first secret';"
                   "document.getElementById('control_102').value = 'second secret';"
                   "document.getElementById('control_203').click()")
        browser.wait(lambda: browser.js("return !document.getElementById('message').hidden"))
        base, extension = os.path.splitext(output)
        browser.driver.save_screenshot(base + suffix + extension)
    finally:
        browser.close()


try:
    for suffix, metrics in SCREENS:
        shoot(suffix, metrics)
finally:
    os.remove(source)
    os.rmdir(work)
