"""A working directory where "debug.log" cannot be written: the log lines are
skipped and the run goes on as usual."""

import os
import time

from e2e_harness import Intro, XServer, check, exit_limit, parse_args

args = parse_args()
# A directory in the log's place: opening it for appending fails, even for root.
os.makedirs(os.path.join(args.work, "debug.log"))
with XServer() as server, Intro(server, args.intro, args.work) as intro:
    intro.wait_window()
    time.sleep(1.0)
    shot = server.screenshot(os.path.join(args.work, "shot.xwd"))
    coloured = sum(1 for _, _, rgb in shot.region(0, 400, 320, 480) if rgb != (255, 255, 255))
    check(coloured > 10000, "the intro presents without its log")
    code, elapsed = intro.stop_with_escape()
    check(code == 0 and elapsed < exit_limit(args.intro, 1.5), "Escape ends the run with exit code 0 (got %d)" % code)
    check(os.path.isdir(os.path.join(args.work, "debug.log")), "nothing replaced the unwritable log")
