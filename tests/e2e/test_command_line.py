"""The command line as a user meets it: --help and --version answer and end
with 0, a bad option ends with 64 before anything starts (no window, no log),
and a monitor that does not exist ends with 1 and says so."""

import os
import subprocess

from e2e_harness import XServer, check, parse_args

args = parse_args()


def run(options, env=None, name="run"):
    work = os.path.join(args.work, name)
    os.makedirs(work)
    result = subprocess.run([args.intro] + options, cwd=work, env=env or {"PATH": os.environ["PATH"]},
                            capture_output=True, text=True, timeout=20)
    return result, os.path.exists(os.path.join(work, "debug.log"))


result, logged = run(["--help"], name="help")
check(result.returncode == 0 and result.stdout.startswith("Usage: trelk") and not result.stderr,
      "--help prints the usage on standard output and ends with 0")
result, _ = run(["--version"], name="version")
check(result.returncode == 0 and result.stdout.startswith("trelk "), "--version: %s" % result.stdout.strip())

for options in (["--bogus"], ["--scale", "stretch"], ["--volume", "101"], ["--display"]):
    result, logged = run(options, name="bad" + "".join(options))
    lines = result.stderr.splitlines()
    check(result.returncode == 64 and len(lines) == 2 and options[0] in lines[0] and not logged,
          "%s: exit 64, one line naming it and the hint, nothing started (%r)" % (" ".join(options), lines))

with XServer() as server:
    result, _ = run(["--display", "3"], env=server.env(), name="no-such-display")
    check(result.returncode == 1 and "no display 3" in result.stderr,
          "--display 3 on a one-monitor desktop: exit 1 and a clear error (%r)" % result.stderr.strip())
