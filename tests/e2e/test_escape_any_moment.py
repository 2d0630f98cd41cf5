"""Escape at any moment: the intro is started again and again and Escape is
pressed after a random delay (0 ms, before the window exists, through set-up,
song loading and playback, up to 10 s). Every run must end within 1.2 s of the
key (or of the window appearing, when the key came before it) with exit code
0, a complete display log ending with "de-referencing DirectX", no sanitizer
report and no process left behind. E2E_STOP_RUNS sets the number of runs."""

import os
import random
import sys
import time

from e2e_harness import TITLE, Intro, XServer, check, exit_limit, fail, parse_args, wait_for

DISPLAY_LINES = ["Drivers enumerated", "DirectDrawCreated", "DDraw interface found", "Cooperative level set",
                 "Displaymode Set", "Primary Surface Created", "Backbuffer attached", "D3D interface found",
                 "attempting software z-buffer", "Using software z-buffer", "Z-Buffer created",
                 "Z-Buffer attached", "RGB", "Render target set"]
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:", "WARNING: ThreadSanitizer")


def window_focused(server):
    """True when the intro's window is on the screen and has the keyboard
    focus: without a window manager a key pressed before that is lost."""
    windows = server.xdotool("search", "--onlyvisible", "--name", "^" + TITLE + "$").split()
    return bool(windows) and server.xdotool("getwindowfocus", "-f") in windows


def window_or_exit(server, intro, timeout):
    """True once the window has the focus, False when the run ended first."""
    if not wait_for(lambda: intro.process.poll() is not None or window_focused(server), timeout, interval=0.02):
        fail("no focused window within %.0f s" % timeout)
    return intro.process.poll() is None


def one_run(server, args, run, delay):
    work = os.path.join(args.work, "run%03d" % run)
    os.makedirs(work)
    with Intro(server, args.intro, work, SDL_AUDIODRIVER="disk",
               SDL_DISKAUDIOFILE=os.path.join(work, "sound.raw")) as intro:
        time.sleep(delay)
        had_window = window_focused(server)
        pressed = intro.key("Escape")
        # The key may have reached no window: press again once the window is
        # there, unless the window came up in time for it and the run ended.
        if not had_window and window_or_exit(server, intro, timeout=20.0):
            pressed = intro.key("Escape")
        code, _ = intro.wait_exit(timeout=10.0)
        elapsed = time.time() - pressed
        lines = intro.log_lines()
        stderr = intro.stderr_text()
        pid = intro.process.pid
    problems = []
    if code != 0:
        problems.append("exit code %d" % code)
    if elapsed > exit_limit(args.intro, 1.2):
        problems.append("ended %.2f s after the key" % elapsed)
    if lines[:len(DISPLAY_LINES)] != DISPLAY_LINES or not lines or lines[-1] != "de-referencing DirectX":
        problems.append("incomplete log: %s" % lines)
    if any(mark in stderr for mark in SANITIZER_MARKS):
        problems.append("sanitizer report:\n" + stderr[-3000:])
    if os.path.exists("/proc/%d" % pid) and "zombie" not in open("/proc/%d/status" % pid).read():
        problems.append("process %d left behind" % pid)
    return elapsed, problems


args = parse_args()
runs = int(os.environ.get("E2E_STOP_RUNS", "20"))
rng = random.Random(int(os.environ.get("E2E_STOP_SEED", "1999")))
worst = 0.0
failures = []
with XServer() as server:
    for run in range(runs):
        # The first runs press at once and during start-up; the rest spread over 10 s.
        delay = [0.0, 0.05, 0.15, 0.3][run] if run < 4 else rng.uniform(0.0, 10.0)
        elapsed, problems = one_run(server, args, run, delay)
        worst = max(worst, elapsed)
        print("run %3d: key after %5.2f s, ended %.3f s later%s" % (run, delay, elapsed,
              "" if not problems else "  <-- " + "; ".join(problems)))
        sys.stdout.flush()
        if problems:
            failures.append(run)
check(not failures, "%d runs, every one ended cleanly (worst %.3f s after the key)" % (runs, worst))
