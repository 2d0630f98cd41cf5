"""Under a window manager (Openbox, which follows the EWMH conventions): the
intro's window asks for and gets the full-screen state, sits undecorated over
the whole screen with the picture on its bottom edge, and Escape ends the run
with exit code 0; the window manager is left running."""

import os
import time

from e2e_harness import Intro, XServer, check, exit_limit, net_wm_state, parse_args, start_window_manager, wait_for

args = parse_args()


def whiteish(rgb):
    return min(rgb) >= 250  # white through 16 bits per pixel


with XServer() as server, open(os.path.join(args.work, "openbox.txt"), "w") as manager_log:
    manager = start_window_manager(server, manager_log)
    try:
        with Intro(server, args.intro, args.work) as intro:
            window = intro.wait_window()
            check(wait_for(lambda: "_NET_WM_STATE_FULLSCREEN" in net_wm_state(server, window), 5.0),
                  "the window manager put the window in the full-screen state (%s)" % net_wm_state(server, window))
            geometry = server.xdotool("getwindowgeometry", window)
            check("Position: 0,0" in geometry and "Geometry: 640x480" in geometry,
                  "the window covers the 640 x 480 screen, without a frame (%s)" % geometry.replace("\n", "; "))

            time.sleep(1.0)
            shot = server.screenshot(os.path.join(args.work, "screen.xwd"))
            shot.save_ppm(os.path.join(args.work, "screen.ppm"))
            check(whiteish(shot.pixel(630, 10)), "the top right corner is the intro's white")
            bottom = [shot.pixel(x, 470) for x in range(0, 300, 10)]
            check(sum(1 for rgb in bottom if not whiteish(rgb)) > 20,
                  "the picture lies along the bottom edge")

            code, elapsed = intro.stop_with_escape()
            check(code == 0, "exit code 0 after Escape (got %d)" % code)
            check(elapsed < exit_limit(args.intro, 1.5), "the run ended %.2f s after Escape" % elapsed)
            check(intro.log_lines()[-1:] == ["de-referencing DirectX"], "the log ends with the release of DirectX")
        check(manager.poll() is None, "the window manager is still running")
    finally:
        manager.terminate()
        manager.wait()
