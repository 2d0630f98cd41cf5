"""Natively on a Wayland compositor (Weston, its X11 backend inside Xvfb): the
picture full screen with the cursor hidden, Escape ends it with exit code 0
and nothing is said over and over on standard error; --display 1 fills the
second of two outputs; and when the compositor goes away the run ends within
1.5 s with exit code 1 and a complete log."""

import os
import shutil
import time

from e2e_harness import (Intro, Weston, XServer, check, exit_limit, fail, parse_args, sanitizer_options, shows_intro,
                         wait_for)

args = parse_args()
if shutil.which("weston") is None:
    fail("weston is not installed (scripts/install-deps.sh installs it)")
OUTPUT = (1024, 768)


def picture_of(weston, output, name, work):
    return weston.picture_of(output, os.path.join(work, name + ".xwd"))


def started(server, weston, work, options=()):
    os.makedirs(work)
    env = dict(sanitizer_options(args.intro), **weston.client_env(SDL_AUDIODRIVER="dummy"))
    if "ASAN_OPTIONS" in env:
        # Mesa's EGL is loaded and unloaded again for the window: what its
        # libraries keep for the process's life is reported from modules that
        # are gone by then, which no suppression can name. Leaks are checked
        # on X11, where the intro's own code is the same.
        env["ASAN_OPTIONS"] += ":detect_leaks=0"
    return Intro(server, args.intro, work, options=options, environment=env)


def escape(server, output, intro):
    """Keys reach Weston through its output window, which must have the X
    focus; Weston gives its keyboard to the surface under a click."""
    server.xdotool("mousemove", "--window", output, "100", "100")
    server.xdotool("windowfocus", "--sync", output)
    server.xdotool("click", "1")
    time.sleep(0.2)
    return intro.stop_with_escape()


with XServer(2 * OUTPUT[0], OUTPUT[1]) as server:
    work = os.path.join(args.work, "full-screen")
    with Weston(server, args.work, *OUTPUT) as weston:
        output = weston.outputs()[0]
        with started(server, weston, work) as intro:
            check(wait_for(lambda: shows_intro(picture_of(weston, output, "screen", work)), 10.0),
                  "the picture fills Weston's output")
            code, elapsed = escape(server, output, intro)
            check(code == 0 and elapsed < exit_limit(args.intro, 1.5),
                  "Escape ends it with exit 0 (%d after %.2f s)" % (code, elapsed))
            lines = intro.stderr_text().splitlines()
            check(len(lines) == len(set(lines)) and len(lines) < 5, "nothing repeated on standard error (%s)" % lines)
            check(intro.log_lines()[-1:] == ["de-referencing DirectX"], "the log ends with the release of DirectX")

        work = os.path.join(args.work, "compositor-gone")
        with started(server, weston, work) as intro:
            check(wait_for(lambda: shows_intro(picture_of(weston, output, "screen", work)), 10.0), "the intro runs")
            weston.stop()
            gone = time.time()
            code, _ = intro.wait_exit(5.0)
            elapsed = time.time() - gone
            check(code == 1 and elapsed < exit_limit(args.intro, 1.5),
                  "the compositor gone: exit 1 within 1.5 s (%d after %.2f s)"
                  % (code, elapsed))
            check(intro.log_lines()[-1:] == ["de-referencing DirectX"], "the log is complete")

    work = os.path.join(args.work, "second-output")
    with Weston(server, args.work, *OUTPUT, outputs=2) as weston:
        first, second = weston.outputs()
        server.xdotool("windowmove", second, str(OUTPUT[0]), "0")  # side by side, as two monitors
        with started(server, weston, work, options=["--display", "1"]) as intro:
            check(wait_for(lambda: shows_intro(picture_of(weston, second, "second", work)), 10.0),
                  "--display 1: the picture fills the second output")
            check(not shows_intro(picture_of(weston, first, "first", work)), "the first output shows the desktop")
            code, _ = escape(server, second, intro)
            check(code == 0, "Escape ends it with exit 0")
