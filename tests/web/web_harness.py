"""Drives the web site in Debian's headless Chromium through its DevTools
protocol: a plain static server on localhost (no isolation headers, as most
hosts), a fresh browser profile per page, key presses as the keyboard sends
them, screenshots, the console, and the page's own state (window.trelkPage)."""

import base64
import contextlib
import functools
import http.server
import io
import itertools
import json
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket  # Debian's python3-websocket

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


@contextlib.contextmanager
def static_server(root):
    """Serves `root` on localhost as a plain static host does: no special headers."""
    handler = functools.partial(QuietHandler, directory=root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}/"
    finally:
        server.shutdown()
        server.server_close()


class Browser:
    """One headless Chromium with one page, driven over DevTools."""

    def __init__(self, width=1280, height=960, extra_flags=()):
        self.profile = tempfile.mkdtemp(prefix="trelk-chromium-")
        self.port = free_port()
        flags = [
            CHROMIUM, "--headless=new", "--no-sandbox", "--no-first-run", "--mute-audio",
            f"--remote-debugging-port={self.port}", f"--user-data-dir={self.profile}",
            f"--window-size={width},{height}", "--autoplay-policy=no-user-gesture-required",
            *extra_flags, "about:blank",
        ]
        self.process = subprocess.Popen(flags, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.console = []  # (level, text)
        self.exceptions = []
        self._ids = itertools.count(1)
        self._lock = threading.Lock()
        self._replies = {}
        self._socket = websocket.create_connection(self._page_socket(), timeout=30, enable_multithread=True)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        # The page's viewport is exactly width x height CSS pixels.
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)
        self.call("Runtime.enable")
        self.call("Page.enable")
        self.call("Log.enable")

    def _page_socket(self):
        deadline = time.monotonic() + 30
        while True:
            try:
                with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json") as reply:
                    for target in json.load(reply):
                        if target.get("type") == "page":
                            return target["webSocketDebuggerUrl"]
            except OSError:
                pass
            if time.monotonic() > deadline:
                raise RuntimeError("Chromium's DevTools did not answer")
            time.sleep(0.2)

    def _read(self):
        while True:
            try:
                message = json.loads(self._socket.recv())
            except websocket.WebSocketTimeoutException:
                continue  # a quiet page: nothing to read for a while
            except Exception:
                return
            if "id" in message:
                with self._lock:
                    self._replies[message["id"]] = message
            elif message.get("method") == "Runtime.consoleAPICalled":
                params = message["params"]
                text = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
                self.console.append((params["type"], text))
                if params["type"] == "error" and os.environ.get("TRELK_WEB_STACKS"):
                    frames = params.get("stackTrace", {}).get("callFrames", [])
                    print("console.error stack:", [(f["functionName"], f["lineNumber"]) for f in frames])
            elif message.get("method") == "Runtime.exceptionThrown":
                details = message["params"]["exceptionDetails"]
                self.exceptions.append(details.get("exception", {}).get("description", details.get("text")))
            elif message.get("method") == "Log.entryAdded":
                entry = message["params"]["entry"]
                if entry.get("level") == "error":
                    self.console.append(("browser-error", entry.get("text", "")))

    def call(self, method, timeout=30, **params):
        ident = next(self._ids)
        self._socket.send(json.dumps({"id": ident, "method": method, "params": params}))
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with self._lock:
                if ident in self._replies:
                    reply = self._replies.pop(ident)
                    if "error" in reply:
                        raise RuntimeError(f"{method}: {reply['error']}")
                    return reply.get("result", {})
            time.sleep(0.01)
        raise TimeoutError(method)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def open(self, url, before_scripts=None):
        if before_scripts:
            self.call("Page.addScriptToEvaluateOnNewDocument", source=before_scripts)
        self.call("Page.navigate", url=url)

    def wait_for(self, expression, timeout=20, what=None):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                if self.evaluate(expression):
                    return
            except RuntimeError:
                pass
            time.sleep(0.05)
        raise AssertionError(f"waited {timeout} s for {what or expression}")

    def state(self):
        return self.evaluate("window.trelkPage ? trelkPage.state : null")

    def press(self, code, key, virtual, down=True, up=True, modifiers=0):
        common = {"code": code, "key": key, "windowsVirtualKeyCode": virtual, "modifiers": modifiers}
        if down:
            self.call("Input.dispatchKeyEvent", type="rawKeyDown", **common)
        if up:
            self.call("Input.dispatchKeyEvent", type="keyUp", **common)

    def press_escape(self):
        self.press("Escape", "Escape", 27)

    def press_space(self):
        self.press("Space", " ", 32)

    def screenshot(self):
        """The page as PNG bytes."""
        return base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"])

    def canvas_pixels(self):
        """The canvas's own pixels (640 x 480 RGBA), as the program drew them."""
        data = self.evaluate(
            "(() => { const c = document.getElementById('screen');"
            " const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;"
            " let s = ''; for (let i = 0; i < d.length; i += 8192)"
            " s += String.fromCharCode.apply(null, d.subarray(i, i + 8192));"
            " return [c.width, c.height, btoa(s)]; })()")
        width, height, encoded = data
        return width, height, base64.b64decode(encoded)

    def errors(self):
        return [text for level, text in self.console if level in ("error", "browser-error")] + self.exceptions

    def log_lines(self):
        """What the page's console carries of debug.log (console.log lines)."""
        return [text for level, text in self.console if level == "log"]

    def close(self):
        with contextlib.suppress(Exception):
            self._socket.close()
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def site_dir():
    return os.environ.get("TRELK_WEB_SITE", os.path.join(os.path.dirname(__file__), "..", "..", "build", "web", "site"))
