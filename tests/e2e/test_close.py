"""Closing the window as a window manager does ends the run cleanly."""

import subprocess
import time

from e2e_harness import Intro, XServer, check, exit_limit, parse_args

args = parse_args()
with XServer() as server, Intro(server, args.intro, args.work) as intro:
    window = intro.wait_window()
    time.sleep(1.0)
    subprocess.run([args.probe, "close", window], env=server.env(), check=True)
    asked = time.time()
    code, _ = intro.wait_exit(timeout=5.0)
    check(code == 0, "exit code 0 after the close request (got %d)" % code)
    ended = time.time() - asked
    check(ended < exit_limit(args.intro, 1.5), "the run ended %.2f s after the close request" % ended)
    check("de-referencing DirectX" in intro.log_lines()[-1:], "the display was released at exit")
