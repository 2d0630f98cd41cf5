"""The GPU presenter, through Mesa's OpenGL under Xvfb (--renderer gpu): the
same picture as the software presenter within what the filter smooths, one
window from creation to exit (the window made for OpenGL from the start, never
replaced), and Escape ends it with exit code 0."""

import os
import threading
import time

from e2e_harness import CLASS_NAME, RING_CLEAR_X, Intro, XServer, check, exit_limit, parse_args, picture_layout

SCREEN = (1280, 1024)  # scale 2: both presenters use nearest at whole scales
args = parse_args()


def watch_windows(server, seen, stop):
    while not stop.is_set():
        seen.update(server.xdotool("search", "--classname", CLASS_NAME).split())
        time.sleep(0.05)


def run(renderer, server):
    work = os.path.join(args.work, renderer)
    os.makedirs(work)
    seen, stop = set(), threading.Event()
    with Intro(server, args.intro, work, options=["--renderer", renderer, "--verbose"]) as intro:
        watcher = threading.Thread(target=watch_windows, args=(server, seen, stop))
        watcher.start()
        intro.wait_window()
        time.sleep(2.0)
        frame = server.picture_shot(os.path.join(work, "screen.xwd"), picture_layout(*SCREEN))
        code, elapsed = intro.stop_with_escape()
        stop.set()
        watcher.join()
        return frame, intro.stderr_text(), code, elapsed, seen


with XServer(*SCREEN) as server:
    software, _, _, _, _ = run("software", server)
    gpu, stderr, code, elapsed, windows = run("gpu", server)

check("presenting with the GPU" in stderr, "the GPU presents (%s)" % stderr.strip().replace("\n", "; "))
check(len(windows) == 1, "one window from creation to exit (%s)" % sorted(windows))
check(code == 0 and elapsed < exit_limit(args.intro, 1.5),
      "Escape ends it with exit 0 (%d after %.2f s)" % (code, elapsed))
# The still parts of the frame: white above, the picture below the text panel.
differ = sum(1 for x, y, rgb in gpu.region(420, 340, 520, 480)
             if max(abs(a - b) for a, b in zip(rgb, software.pixel(x, y))) > 12)
differ += sum(1 for x, y, rgb in gpu.region(RING_CLEAR_X, 0, 640, 40) if min(rgb) < 243)
check(differ == 0, "the same picture as the software presenter (%d pixels differ)" % differ)
