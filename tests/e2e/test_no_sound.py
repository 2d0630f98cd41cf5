"""A machine without a sound device: the music falls back to the silent
driver, the picture runs, and Escape still ends the run at once."""

import os
import time

from e2e_harness import Intro, XServer, check, exit_limit, parse_args

args = parse_args()
with XServer() as server, Intro(server, args.intro, args.work, SDL_AUDIODRIVER="no-such-device") as intro:
    intro.wait_window()
    time.sleep(1.5)
    shot = server.screenshot(os.path.join(args.work, "shot.xwd"))
    coloured = sum(1 for _, _, rgb in shot.region(0, 400, 320, 480) if rgb != (255, 255, 255))
    check(coloured > 10000, "the picture is shown without sound (%d picture pixels)" % coloured)
    code, elapsed = intro.stop_with_escape()
    check(code == 0, "exit code 0 (got %d)" % code)
    check(elapsed < exit_limit(args.intro, 1.5),
          "Escape ended the run %.2f s later: the silent music stopped at once" % elapsed)
    check(intro.log_lines()[-1:] == ["de-referencing DirectX"], "the display was released at exit")
