"""The intro's window appears, covers the screen, hides the cursor, and Escape
ends the run with exit code 0 within 1.5 s."""

import subprocess
import time

from e2e_harness import CLASS_NAME, Intro, XServer, check, exit_limit, parse_args

args = parse_args()
with XServer() as server, Intro(server, args.intro, args.work) as intro:
    window = intro.wait_window()
    by_class = server.xdotool("search", "--classname", CLASS_NAME).split()
    check(window in by_class, "the window's class is " + CLASS_NAME)
    geometry = server.xdotool("getwindowgeometry", window)
    check("Position: 0,0" in geometry and "Geometry: 640x480" in geometry,
          "the window covers the 640 x 480 screen (%s)" % geometry.replace("\n", "; "))

    time.sleep(1.0)
    server.xdotool("mousemove", "320", "240")
    time.sleep(0.3)
    cursor = subprocess.run([args.probe, "cursor"], env=server.env(), capture_output=True, text=True).stdout.strip()
    check(cursor == "hidden", "no cursor is visible over the window (%s)" % cursor)

    code, elapsed = intro.stop_with_escape()
    check(code == 0, "exit code 0 after Escape (got %d)" % code)
    check(elapsed < exit_limit(args.intro, 1.5), "the run ended %.2f s after Escape" % elapsed)
