"""Headless Chromium driving brisol.html, for the page's tests and its
benchmark. Each browser gets a fresh profile, and everything that would
reach for the network on its own is switched off, so the performance log
holds only what the page itself asks for."""
import json
import os
import shutil
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run",
         "--disable-default-apps", "--disable-extensions"]


class Browser:
    def __init__(self, size="900,800"):
        self.profile = tempfile.mkdtemp(prefix="brisol-chromium-")
        self.downloads = os.path.join(self.profile, "downloads")
        os.mkdir(self.downloads)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in FLAGS + ["--window-size=" + size, "--user-data-dir=" + os.path.join(self.profile, "data")]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
        options.add_experimental_option("prefs", {"download.default_directory": self.downloads,
                                                  "download.prompt_for_download": False})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": self.downloads})

    def close(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    def open(self, url):
        self.driver.get(url)
        self.wait(lambda: self.js("return document.body.dataset.ready === 'true'"))

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def wait(self, condition, seconds=60):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            value = condition()
            if value:
                return value
            time.sleep(0.05)
        raise TimeoutError("the page did not get there in time")

    def requests(self):
        """URLs the page requested since the last call."""
        urls = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        return urls
