"""Without a display the intro says so in one line and exits non-zero.

Two ways to be without one, and what each leaves in debug.log:
- nothing names a display: the stand-in refuses before the program starts,
  so the program writes nothing;
- a display is named but cannot be reached: the program runs, its window
  cannot be created and WinMain returns, and at exit the global Mainframe
  releases its display, whose release always logs "de-referencing DirectX".
  The window-creation messages go to the Mainframe's own log, which writes
  nothing, so that line is the whole log."""

import os
import random
import subprocess

from e2e_harness import check, parse_args, sanitizer_options

args = parse_args()


def unreachable_display():
    """A display number with no server behind it."""
    rng = random.Random(os.getpid())
    while True:
        number = rng.randrange(200, 30000)
        if not os.path.exists("/tmp/.X11-unix/X%d" % number) and not os.path.exists("/tmp/.X%d-lock" % number):
            return ":%d" % number


def run(name, display):
    work = os.path.join(args.work, name)
    os.makedirs(work)
    env = dict(os.environ, **sanitizer_options(args.intro))
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("SDL_VIDEODRIVER", None)
    if display:
        env["DISPLAY"] = display
    result = subprocess.run([args.intro], cwd=work, env=env, capture_output=True, text=True, timeout=20)
    lines = result.stderr.strip().splitlines()
    check(result.returncode == 1, "%s: exit code 1 (got %d)" % (name, result.returncode))
    check(len(lines) == 1 and "no display" in lines[0],
          "%s: one clear line on standard error: %r" % (name, result.stderr))
    log = os.path.join(work, "debug.log")
    return open(log).read().splitlines() if os.path.exists(log) else None


check(run("unset", None) is None, "unset: a run that never started writes no log")
check(run("unreachable", unreachable_display()) == ["de-referencing DirectX"],
      "unreachable: the log holds only the display's release at exit")
