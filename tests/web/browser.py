"""The three browser engines driving brisol.html, headless, for the page's
tests and its benchmark: Chromium and WebKitGTK through selenium, Firefox
over WebDriver BiDi. Each browser gets a fresh profile, and everything that
would reach for the network on its own is switched off, so the requests
seen are only what the page itself asks for. All three answer the same
calls: open, js, wait, upload, press, requests, errors, close."""
import json
import os
import re
import shutil
import subprocess
import tempfile
import time

import websocket
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--no-first-run",
                  "--disable-default-apps", "--disable-extensions"]

# Downloads straight to the profile's folder, and no calls home.
FIREFOX_PREFS = {
    "browser.download.dir": None, "browser.download.folderList": 2, "browser.download.useDownloadDir": True,
    "browser.download.always_ask_before_handling_new_types": False,
    "browser.download.start_downloads_in_tmp_dir": False, "browser.download.alwaysOpenPanel": False,
    "app.update.enabled": False, "app.normandy.enabled": False, "browser.safebrowsing.downloads.enabled": False,
    "browser.safebrowsing.malware.enabled": False, "browser.safebrowsing.phishing.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False, "toolkit.telemetry.enabled": False,
    "network.captive-portal-service.enabled": False, "network.connectivity-service.enabled": False,
    "browser.shell.checkDefaultBrowser": False, "extensions.update.enabled": False,
    "browser.startup.homepage_override.mstone": "ignore", "remote.prefs.recommended": True,
}


class Browser:
    """What the engines share: a profile with its downloads folder."""
    engine = None
    partial_suffixes = ()

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix=f"brisol-{self.engine}-")
        self.downloads = os.path.join(self.profile, "downloads")
        os.mkdir(self.downloads)

    def close(self):
        shutil.rmtree(self.profile, ignore_errors=True)

    def open(self, url):
        self.navigate(url)
        self.wait(lambda: self.js("return document.body.dataset.ready === 'true'"))

    def wait(self, condition, seconds=60):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            value = condition()
            if value:
                return value
            time.sleep(0.05)
        raise TimeoutError("the page did not get there in time")

    def downloading(self):
        return any(name.endswith(self.partial_suffixes) for name in os.listdir(self.downloads))


class SeleniumBrowser(Browser):
    def navigate(self, url):
        self.driver.get(url)

    def close(self):
        self.driver.quit()
        super().close()

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def upload(self, element, files):
        self.driver.find_element("id", element).send_keys("\n".join(files))

    def press(self, key):
        self.driver.switch_to.active_element.send_keys(key)


class Chromium(SeleniumBrowser):
    engine = "chromium"
    partial_suffixes = (".crdownload",)

    def __init__(self, size="900,800"):
        super().__init__()
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROMIUM_FLAGS + ["--window-size=" + size, "--user-data-dir=" + os.path.join(self.profile, "data")]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
        options.add_experimental_option("prefs", {"download.default_directory": self.downloads,
                                                  "download.prompt_for_download": False})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": self.downloads})

    def viewport(self, width, height):
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    def requests(self):
        """URLs the page requested since the last call."""
        urls = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        return urls

    def errors(self):
        return [e["message"] for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]


class WebKit(SeleniumBrowser):
    """MiniBrowser under its own Xvfb display; downloads go to the folder its
    user directories name. No network log: the page's own resource timing
    stands in for it."""
    engine = "webkit"
    partial_suffixes = (".download", ".wkdownload")

    def __init__(self):
        super().__init__()
        self.display = subprocess.Popen(["Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                                         "1280x1024x24"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        number = self.display.stdout.readline().decode().strip()
        config = os.path.join(self.profile, "config")
        os.mkdir(config)
        with open(os.path.join(config, "user-dirs.dirs"), "w") as f:
            f.write(f'XDG_DOWNLOAD_DIR="{self.downloads}"\n')
        env = {"DISPLAY": ":" + number, "XDG_CONFIG_HOME": config, "HOME": self.profile}
        os.environ.update(env)
        options = webdriver.WebKitGTKOptions()
        options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
        options.add_argument("--automation")
        self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)

    def close(self):
        super().close()
        self.display.terminate()
        self.display.wait()

    def viewport(self, width, height):
        self.driver.set_window_size(width, height)

    def requests(self):
        return self.js("return performance.getEntriesByType('resource').map(e => e.name)")

    def errors(self):
        return []


class Firefox(Browser):
    """Firefox ESR's own WebDriver BiDi endpoint, spoken to directly: a
    command waits for its answer, and the events that come before it are
    kept for requests() and errors()."""
    engine = "firefox"
    partial_suffixes = (".part",)

    def __init__(self):
        super().__init__()
        prefs = dict(FIREFOX_PREFS, **{"browser.download.dir": self.downloads})
        with open(os.path.join(self.profile, "user.js"), "w") as f:
            for name, value in prefs.items():
                f.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        self.process = subprocess.Popen(["/usr/bin/firefox-esr", "--headless", "--no-remote", "--profile",
                                         self.profile, "--remote-debugging-port", "0"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            if found:
                break
        else:
            raise RuntimeError("Firefox did not open its WebDriver BiDi endpoint")
        self.socket = websocket.create_connection(found.group(1) + "/session", timeout=600,
                                                  suppress_origin=True)
        self.last = 0
        self.events = []
        self.send("session.new", {"capabilities": {}})
        self.context = self.send("browsingContext.getTree", {})["contexts"][0]["context"]
        self.send("session.subscribe", {"events": ["network.beforeRequestSent", "log.entryAdded"]})

    def send(self, method, params):
        self.last += 1
        self.socket.send(json.dumps({"id": self.last, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("type") == "event":
                self.events.append(message)
            elif message.get("id") == self.last:
                if message["type"] == "error":
                    raise RuntimeError(f"{method}: {message['error']}: {message['message']}")
                return message["result"]

    def close(self):
        try:
            self.send("browser.close", {})
        except (RuntimeError, websocket.WebSocketException):
            pass
        self.socket.close()
        self.process.wait()
        super().close()

    def viewport(self, width, height):
        self.send("browsingContext.setViewport", {"context": self.context,
                                                  "viewport": {"width": width, "height": height}})

    def navigate(self, url):
        self.send("browsingContext.navigate", {"context": self.context, "url": url, "wait": "complete"})

    def js(self, script, *args):
        result = self.send("script.callFunction", {
            "functionDeclaration": "function () {" + script + "}", "awaitPromise": False,
            "arguments": [serialized(a) for a in args], "target": {"context": self.context}})
        if result["type"] == "exception":
            raise RuntimeError(result["exceptionDetails"]["text"])
        return deserialized(result["result"])

    def upload(self, element, files):
        node = self.send("script.evaluate", {"expression": f"document.getElementById('{element}')",
                                             "awaitPromise": False, "resultOwnership": "root",
                                             "target": {"context": self.context}})["result"]
        self.send("input.setFiles", {"context": self.context, "element": {"sharedId": node["sharedId"]},
                                     "files": list(files)})

    def press(self, key):
        self.send("input.performActions", {"context": self.context, "actions": [
            {"type": "key", "id": "keyboard", "actions": [{"type": "keyDown", "value": key},
                                                           {"type": "keyUp", "value": key}]}]})

    def taken(self, method):
        self.send("session.status", {})
        taken = [e["params"] for e in self.events if e["method"] == method]
        self.events = [e for e in self.events if e["method"] != method]
        return taken

    def requests(self):
        return [params["request"]["url"] for params in self.taken("network.beforeRequestSent")]

    def errors(self):
        # The browser's own look for a favicon, which the page's policy refuses, is not the page's error.
        return [params["text"] for params in self.taken("log.entryAdded")
                if params["level"] == "error" and "/favicon.ico" not in params["text"]]


def serialized(value):
    if isinstance(value, str):
        return {"type": "string", "value": value}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    return {"type": "null"}


def deserialized(remote):
    kind, value = remote["type"], remote.get("value")
    if kind in ("undefined", "null"):
        return None
    if kind in ("array", "set"):
        return [deserialized(v) for v in value]
    if kind in ("object", "map"):
        return {k if isinstance(k, str) else deserialized(k): deserialized(v) for k, v in value}
    return value


ENGINES = {engine.engine: engine for engine in (Chromium, WebKit, Firefox)}
