"""Two monitors on X11: Xwayland on Weston with two outputs side by side, an X
server whose RandR reports two monitors as a desktop with two screens does
(Xvfb's screens do not: SDL sees one). --display 1 shows the picture full
screen on the second monitor, 4:3 in its middle between black borders, while
the first keeps its desktop; Escape ends it with exit 0 and a complete log.
--display 2 names no monitor: a clear error and exit code 1."""

import os
import shutil

from e2e_harness import Intro, Weston, XServer, check, fail, parse_args, shows_intro, side_borders, wait_for

args = parse_args()
for program in ["weston", "Xwayland"]:
    if shutil.which(program) is None:
        fail("%s is not installed (scripts/install-deps.sh installs it)" % program)
MONITOR = (1024, 576)  # wider than 4:3, so the picture has borders

with XServer(2 * MONITOR[0], MONITOR[1]) as server, \
        Weston(server, args.work, *MONITOR, outputs=2, xwayland=True) as weston:
    first, second = weston.outputs()
    server.xdotool("windowmove", second, str(MONITOR[0]), "0")  # where Xwayland has it: right of the first
    server.xdotool("mousemove", "100", "300")  # the pointer on the first: it must not draw the intro there

    work = os.path.join(args.work, "second-monitor")
    os.makedirs(work)
    shot = os.path.join(work, "second.xwd")
    with Intro(weston.xwayland, args.intro, work, options=["--display", "1"]) as intro:
        intro.wait_window(30.0)
        check(wait_for(lambda: shows_intro(weston.picture_of(second, shot)), 20.0),
              "--display 1: the picture fills the second monitor, above Weston's panel")
        border = side_borders(shot, *MONITOR)
        check(border and all(rgb == (0, 0, 0) for rgb in border), "black borders left and right of the picture")
        check(not shows_intro(weston.picture_of(first, os.path.join(work, "first.xwd"))),
              "the first monitor shows the desktop")
        code, elapsed = intro.stop_with_escape()
        check(code == 0, "Escape ends it with exit 0 (%d after %.2f s)" % (code, elapsed))
        check(intro.log_lines()[-1:] == ["de-referencing DirectX"], "the log ends with the release of DirectX")

    work = os.path.join(args.work, "no-third-monitor")
    os.makedirs(work)
    with Intro(weston.xwayland, args.intro, work, options=["--display", "2"]) as intro:
        code, _ = intro.wait_exit(20.0)
        error = intro.stderr_text()
        check(code == 1 and "there is no display 2 (this desktop has 2, counted from 0)" in error,
              "--display 2: exit 1 and a clear error (%d, %r)" % (code, error))
