"""A window instead of the full screen, under a window manager (Openbox):
--windowed makes a 640 x 480 window with the intro's title and class and the
desktop's cursor; resized, the picture follows with black borders; Alt+Enter
switches to full screen and back; Escape ends it with exit code 0."""

import os
import subprocess
import time

from e2e_harness import (CLASS_NAME, TITLE, Image, Intro, XServer, check, exit_limit, net_wm_state, parse_args,
                         picture_layout, start_window_manager, wait_for, whiteish)

SCREEN = (1280, 1024)
args = parse_args()


def size_of(server, window):
    geometry = server.xdotool("getwindowgeometry", window)
    line = next((l for l in geometry.splitlines() if "Geometry:" in l), "Geometry: 0x0")
    return tuple(int(v) for v in line.split()[-1].split("x"))


def picture_in_window(server, window, name):
    """The window's picture rectangle at 640 x 480, and the window's size."""
    width, height = size_of(server, window)
    layout = picture_layout(width, height)
    return server.picture_shot(os.path.join(args.work, name + ".xwd"), layout, window), (width, height), layout


def check_picture(frame, what):
    check(whiteish(frame.pixel(630, 10)) and whiteish(frame.pixel(10, 10)), what + ": white at the top of the frame")
    dark = sum(1 for x in range(0, 400, 10) if not whiteish(frame.pixel(x, 470)))
    check(dark > 30, what + ": the picture on the frame's bottom edge")


with XServer(*SCREEN) as server, open(os.path.join(args.work, "openbox.txt"), "w") as manager_log:
    manager = start_window_manager(server, manager_log)
    try:
        with Intro(server, args.intro, args.work, options=["--windowed"]) as intro:
            window = intro.wait_window()
            check(window in server.xdotool("search", "--classname", CLASS_NAME).split()
                  and server.xdotool("getwindowname", window) == TITLE, "the window has the title and class")
            check(wait_for(lambda: size_of(server, window) == (640, 480), 3.0),
                  "a 640 x 480 window (%s)" % (size_of(server, window),))
            check("FULLSCREEN" not in net_wm_state(server, window), "not in the full-screen state")
            time.sleep(1.0)
            frame, _, _ = picture_in_window(server, window, "windowed")
            check_picture(frame, "640 x 480")
            server.xdotool("mousemove", "--window", window, "300", "200")
            server.xdotool("mousemove", "--window", window, "320", "220")
            check(wait_for(lambda: subprocess.run([args.probe, "cursor"], env=server.env(), capture_output=True,
                                                  text=True).stdout.strip() == "visible", 2.0),
                  "the desktop's cursor shows over the window")

            server.xdotool("windowsize", window, "1000", "560")
            check(wait_for(lambda: size_of(server, window) == (1000, 560), 3.0), "the window manager resized it")
            time.sleep(0.5)
            frame, (width, height), (x, y, w, h) = picture_in_window(server, window, "resized")
            check_picture(frame, "resized to 1000 x 560")
            shot = Image.from_xwd(os.path.join(args.work, "resized.xwd"))
            check(all(shot.pixel(px, height // 2) == (0, 0, 0) for px in range(0, x - 1, 4))
                  and all(shot.pixel(px, height // 2) == (0, 0, 0) for px in range(x + w + 1, width, 4)),
                  "black borders beside the %dx%d picture" % (w, h))

            server.xdotool("key", "alt+Return")
            check(wait_for(lambda: size_of(server, window) == SCREEN, 3.0), "Alt+Enter: full screen %s"
                  % (size_of(server, window),))
            check(wait_for(lambda: "FULLSCREEN" in net_wm_state(server, window), 3.0),
                  "Alt+Enter: the window manager's full-screen state")
            time.sleep(0.5)
            frame, _, _ = picture_in_window(server, window, "fullscreen")
            check_picture(frame, "full screen")
            server.xdotool("key", "alt+Return")
            check(wait_for(lambda: size_of(server, window) == (640, 480), 3.0), "Alt+Enter again: a 640 x 480 window %s"
                  % (size_of(server, window),))
            check(intro.process.poll() is None, "the intro runs on (Alt+Enter is not a key for it)")

            code, elapsed = intro.stop_with_escape()
            check(code == 0 and elapsed < exit_limit(args.intro, 1.5),
                  "Escape ends it with exit 0 (%d after %.2f s)" % (code, elapsed))
            check(intro.log_lines()[-1:] == ["de-referencing DirectX"], "the log ends with the release of DirectX")
    finally:
        manager.terminate()
        manager.wait()
