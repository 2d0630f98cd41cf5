"""The Debian package as a user gets it: unpacked with dpkg -x into a folder
of its own, its usr/games/trelk started from another directory shows the
intro's window under Xvfb, Escape ends it with exit code 0, and debug.log is
written in the working directory, not beside the program.

Needs the package: it takes the newest trelk_*.deb in the build directory (the
one holding the intro) or the file named by TRELK_PACKAGE, and is skipped
(exit code 77) when there is none. `cmake --build --preset default --target
package` builds it; scripts/check-package.sh builds it and runs this test."""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

from e2e_harness import Intro, XServer, check, parse_args

SKIP = 77

args = parse_args()
package = os.environ.get("TRELK_PACKAGE", "")
if not package:
    built = glob.glob(os.path.join(os.path.dirname(os.path.abspath(args.intro)), "trelk_*.deb"))
    package = max(built, key=os.path.getmtime) if built else ""
if not package or not os.path.isfile(package):
    print("SKIP: no trelk_*.deb beside %s and TRELK_PACKAGE not set; build one with "
          "'cmake --build --preset default --target package' or scripts/check-package.sh" % args.intro)
    sys.exit(SKIP)
if shutil.which("dpkg-deb") is None:
    print("SKIP: dpkg-deb is not installed")
    sys.exit(SKIP)
print("package: " + package)
if os.path.getmtime(package) < os.path.getmtime(args.intro):
    print("note: the package is older than %s; testing the package as it is" % args.intro)

root = tempfile.mkdtemp(prefix="trelk-package-")
try:
    subprocess.run(["dpkg-deb", "-x", package, root], check=True)
    installed = os.path.join(root, "usr", "games", "trelk")
    check(os.path.isfile(installed) and os.access(installed, os.X_OK), "the package installs usr/games/trelk")

    version = subprocess.run([installed, "--version"], capture_output=True, text=True, cwd=args.work).stdout.strip()
    named = re.match(r"trelk_([^_]+)_", os.path.basename(package))
    check(named is not None and version == "trelk " + named.group(1),
          "the installed trelk prints the package's version (%s)" % version)

    # The working directory is the test's own folder, far from the unpacked tree.
    with XServer() as server, Intro(server, installed, args.work) as intro:
        window = intro.wait_window()
        check(window is not None, "the installed intro's window is shown")
        code, elapsed = intro.stop_with_escape()
        check(code == 0, "exit code 0 after Escape (got %d, %.2f s after the key)" % (code, elapsed))
        lines = intro.log_lines()
        check(len(lines) > 0, "debug.log is written in the working directory (%d lines)" % len(lines))
        if intro.stderr_text().strip():
            print("stderr: " + intro.stderr_text().strip())
    # A capture into .mkv loads the video module from the package's own folders.
    capture = subprocess.run([installed, "--capture", "short.mkv", "--seconds", "1", "--quiet"], cwd=args.work,
                             env={key: value for key, value in os.environ.items() if key != "DISPLAY"},
                             capture_output=True, text=True, timeout=120)
    made = os.path.join(args.work, "short.mkv")
    check(capture.returncode == 0 and os.path.isfile(made) and os.path.getsize(made) > 0,
          "the installed trelk captures into .mkv (exit %d, %s)" % (capture.returncode, capture.stderr.strip()))
    strays = [os.path.join(folder, "debug.log") for folder, _, files in os.walk(root) if "debug.log" in files]
    check(not strays, "no debug.log beside the installed program (%s)" % (strays or "none"))
finally:
    shutil.rmtree(root, ignore_errors=True)
