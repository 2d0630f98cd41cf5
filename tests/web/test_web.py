"""The intro's web site in headless Chromium, served as a plain static host
serves it: the start screen, the picture and the ring within 3 s of a key,
the text panel, debug.log's lines on the console (equal to a native run's),
the sound, Escape and starting again, the URL's options (and a bad one), and
a browser without threads.

    test_web.py --site build/web/site --native build/default/trelk --assets assets
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e_harness import (FIRST_LINES, RING_CLEAR_X, TITLE, Image, close,  # noqa: E402
                         expected_background, ink_pixels, shows_intro)
from web_harness import Browser, static_server  # noqa: E402

READY = "window.trelkPage && trelkPage.state === 'ready'"
RUNNING_FRAMES = "trelkPage.state === 'running' && trelkPage.framesShown > 0"


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def canvas_image(browser):
    width, height, rgba = browser.canvas_pixels()
    rgb = bytearray(width * height * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
    return Image(width, height, rgb)


def mesh_pixels(frame, picture):
    """Pixels left of the text panel that neither the white screen nor the
    picture explains: the copies of the mesh on their ring."""
    return sum(1 for x, y, rgb in frame.region(0, 0, RING_CLEAR_X, 480, )
               if (x % 4 == 0 and y % 4 == 0) and not close(rgb, expected_background(picture, x, y), 24))


def start(browser, url, timeout=60):
    browser.open(url)
    browser.wait_for(READY, timeout, "the start screen")
    check(browser.evaluate("!document.getElementById('start').hidden"), "the start screen is not shown")
    pressed = time.monotonic()
    browser.press_space()
    return pressed


def native_log_lines(native):
    """debug.log of a native run (off screen, two seconds), line by line."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([native, "--capture", os.path.join(folder, "frames"), "--seconds", "2", "--quiet"],
                       cwd=folder, check=True, timeout=120)
        with open(os.path.join(folder, "debug.log"), encoding="latin-1") as log:
            return log.read().splitlines()


def test_run_and_restart(url, picture, native):
    """Start screen, frames within 3 s, the panel, the sound, the log, Escape, again."""
    with Browser() as browser:
        pressed = start(browser, url)
        browser.wait_for(RUNNING_FRAMES, 3, "the first frame within 3 s of the key press")
        # The white screen, the picture on its bottom edge and the ring, within 3 s.
        deadline = pressed + 3.0
        while True:
            frame = canvas_image(browser)
            if shows_intro(frame) and mesh_pixels(frame, picture) > 100:
                break
            check(time.monotonic() < deadline,
                  "within 3 s of the key the canvas shows no intro (white screen, picture, ring)")
            time.sleep(0.1)
        check(browser.evaluate("document.title") == TITLE, "the page's title is not the window's")
        # The panel's first lines are revealed a step per frame.
        deadline = time.monotonic() + 10
        while ink_pixels(canvas_image(browser), picture, FIRST_LINES) <= 100:
            check(time.monotonic() < deadline, "the text panel's first lines never appeared")
            time.sleep(0.2)
        # The sound runs: the context plays, and what it plays is not silence.
        browser.wait_for("trelkPage.audioState() === 'running'", 5, "a running audio context")
        time.sleep(2.0)
        check(browser.evaluate("trelkPage.audioPeak") > 0.01, "the mixer's output over 2 s is silent")
        check(browser.evaluate("trelkPage.audioUnderruns") == 0, "the worklet ran out of mixed sound")
        # F switches full screen and back; the frame stays shown.
        browser.press("KeyF", "f", 70)
        browser.wait_for("document.fullscreenElement !== null", 5, "full screen after F")
        browser.press("KeyF", "f", 70)
        browser.wait_for("document.fullscreenElement === null", 5, "a window again after F")
        # Escape: the teardown runs to its last line and the page says it ended.
        browser.press_escape()
        browser.wait_for("trelkPage.state === 'ended'", 10, "the ended state after Escape")
        check(browser.evaluate("trelkPage.exitCode") == 0, "the intro did not end with exit code 0")
        check(browser.evaluate("!document.getElementById('ended').hidden"), "the ended panel is not shown")
        lines = browser.log_lines()
        expected = native_log_lines(native)
        check(lines == expected, f"the console's debug.log lines differ from a native run's:\n{lines}\n{expected}")
        check(not browser.errors(), f"console errors: {browser.errors()}")
        # Starting again: a new run, frames and the same log again.
        browser.press_space()
        browser.wait_for("trelkPage.runs === 2 && " + RUNNING_FRAMES, 5, "frames of a second run")
        browser.press_escape()
        browser.wait_for("trelkPage.state === 'ended'", 10, "the second run's end")
        check(browser.log_lines()[-len(expected):] == expected, "the second run's log differs")
        check(not browser.errors(), f"console errors: {browser.errors()}")


def test_url_options(url):
    """?scale=integer keeps whole scales, ?sound=0 plays nothing, an unknown
    parameter is said on the console and ignored."""
    with Browser(width=1000, height=800) as browser:
        start(browser, url + "?scale=integer&sound=0&colour=blue")
        browser.wait_for(RUNNING_FRAMES, 5, "frames")
        width = browser.evaluate("document.getElementById('screen').getBoundingClientRect().width")
        check(width == 640, f"?scale=integer shows the frame {width} pixels wide in a 1000 x 800 tab, not 640")
        check(browser.evaluate("document.getElementById('screen').classList.contains('nearest')"),
              "a whole scale is not drawn with the nearest pixels")
        check(any("colour" in text for level, text in browser.console if level == "warning"),
              "the unknown URL parameter was not said on the console")
        time.sleep(1.0)
        check(browser.evaluate("trelkPage.audioPeak") == 0, "?sound=0 still plays")
        browser.press_escape()
        browser.wait_for("trelkPage.state === 'ended'", 10, "the end")
    with Browser(width=1000, height=800) as browser:
        start(browser, url)
        browser.wait_for(RUNNING_FRAMES, 5, "frames")
        width = browser.evaluate("document.getElementById('screen').getBoundingClientRect().width")
        check(abs(width - 1000) < 1, f"the frame fills a 1000 x 800 tab's width: {width}")
        check(not browser.evaluate("document.getElementById('screen').classList.contains('nearest')"),
              "a scale of 1.5625 is drawn with the nearest pixels, not smoothly")


def test_bad_option(url):
    """A bad value ends the run as bad usage does natively: the parser's own
    message, exit code 64, nothing of the program's teardown, no new run."""
    with Browser() as browser:
        start(browser, url + "?volume=loud")
        browser.wait_for("trelkPage.state === 'ended'", 10, "the end of a run with a bad option")
        check(browser.evaluate("trelkPage.exitCode") == 64, "a bad option does not end with exit code 64")
        detail = browser.evaluate("document.getElementById('ended-detail').textContent")
        check("--volume" in detail, f"the page does not say what is wrong: {detail!r}")
        check(browser.evaluate("document.getElementById('again').hidden"), "a run that must fail again is offered")
        check(not browser.log_lines(), f"debug.log lines without a run: {browser.log_lines()}")


def test_without_threads(url):
    """A browser without SharedArrayBuffer gets a plain sentence, not a blank page."""
    with Browser() as browser:
        browser.open(url, before_scripts="delete window.SharedArrayBuffer;")
        browser.wait_for("document.readyState === 'complete' && window.trelkPage && trelkPage.state === 'lacking'",
                         20, "the sentence")
        text = browser.evaluate("document.getElementById('lacking-text').textContent")
        check("threads" in text, f"the sentence does not name threads: {text!r}")
        check(browser.evaluate("document.getElementById('screen').hidden"), "the canvas is shown")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--native", required=True)
    parser.add_argument("--assets", required=True)
    args = parser.parse_args()
    args.native = os.path.abspath(args.native)
    picture = Image.from_file(os.path.join(args.assets, "picture.gif"))
    failures = 0
    with static_server(args.site) as url:
        for name, test in [("run and restart", lambda: test_run_and_restart(url, picture, args.native)),
                           ("URL options", lambda: test_url_options(url)),
                           ("a bad option", lambda: test_bad_option(url)),
                           ("without threads", lambda: test_without_threads(url))]:
            started = time.monotonic()
            try:
                test()
                print(f"web: {name}: passed ({time.monotonic() - started:.1f} s)", flush=True)
            except Exception:
                failures += 1
                print(f"web: {name}: FAILED", flush=True)
                traceback.print_exc()
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
