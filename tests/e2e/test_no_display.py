"""Without a display the intro says so in one line and exits non-zero."""

import os
import subprocess

from e2e_harness import check, parse_args

args = parse_args()
env = dict(os.environ)
env.pop("DISPLAY", None)
env.pop("WAYLAND_DISPLAY", None)
result = subprocess.run([args.intro], cwd=args.work, env=env, capture_output=True, text=True, timeout=20)
lines = result.stderr.strip().splitlines()
check(result.returncode != 0, "non-zero exit without a display (got %d)" % result.returncode)
check(len(lines) == 1 and "no display" in lines[0], "one clear line on standard error: %r" % result.stderr)
check(result.returncode < 128, "no crash (exit %d)" % result.returncode)
check(not os.path.exists(os.path.join(args.work, "debug.log")), "a run that never started writes no log")
