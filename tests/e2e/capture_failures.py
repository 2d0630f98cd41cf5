"""Capture under the inputs and interruptions people really give it: sizes an
.mp4 cannot have, options that would swallow the next, outputs that exist
(files, links, folders), names too long, full disks, a failing intro, signals
(one, or a second while the file is finished) and a standard error nobody
reads. Each case checks the exit code, the lines on standard error, that a
playable output is there or nothing is under the name, and that no temporary
is left behind.

    capture_failures.py --intro trelk --failing-intro trelk_mesh_corrupt --work DIR
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import time
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_harness import fail, sanitizer_options  # noqa: E402

parser = argparse.ArgumentParser()
for name in ("--intro", "--failing-intro", "--work"):
    parser.add_argument(name, required=True)
args = parser.parse_args()
args.intro, args.failing_intro = os.path.abspath(args.intro), os.path.abspath(args.failing_intro)
shutil.rmtree(args.work, ignore_errors=True)
os.makedirs(args.work)
TEMPORARY = ".trelk-capture-"
SMALL = ["--seconds", "1", "--size", "64x48"]
problems = []


def environment():
    env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(sanitizer_options(args.intro))
    return env


def playable(path):
    """FFmpeg reads a video with some duration, or a folder holds frames and a WAV."""
    if os.path.isdir(path):
        names = os.listdir(path)
        try:
            with wave.open(os.path.join(path, "audio.wav")) as sound:
                sound.getnframes()
        except (OSError, EOFError, wave.Error):
            return False
        return any(name.startswith("frame_") for name in names)
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path],
                           capture_output=True, text=True)
    try:
        return probe.returncode == 0 and float(probe.stdout.strip()) > 0
    except ValueError:
        return False


def temporaries(folder):
    return [name for name in os.listdir(folder) if name.startswith(TEMPORARY)] if os.path.isdir(folder) else []


def run(name, options, program=None, signals=(), close_stderr=False):
    """Runs a capture in a folder of its own; `signals` are (seconds after the
    one before, signal). Returns the folder, the exit code and the lines of
    standard error."""
    work = os.path.join(args.work, name)
    os.makedirs(work, exist_ok=True)
    process = subprocess.Popen([program or args.intro] + options, cwd=work, env=environment(),
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if close_stderr:
        process.stderr.close()  # nobody reads what it says: writes fail with EPIPE
    for after, number in signals:
        time.sleep(after)
        process.send_signal(number)
    try:
        code = process.wait(timeout=300)
    except subprocess.TimeoutExpired:
        process.kill()
        fail("%s: did not end" % name)
    err = "" if close_stderr else process.stderr.read()
    lines = [line for line in err.replace("\r", "\n").splitlines() if line.strip()]
    return work, code, lines


def expect(name, condition, message):
    print(("ok: " if condition else "FAILED: ") + name + ": " + message)
    if not condition:
        problems.append(name)


def judge(name, work, code, lines, exit_code, output, result, said=None, line_count=1):
    """`result`: "playable", "absent", or a function of the output's path."""
    path = os.path.join(work, output)
    expect(name, code == exit_code, "exit %d, expected %d (%s)" % (code, exit_code, " | ".join(lines)))
    if line_count is not None:
        expect(name, len(lines) == line_count, "%d line(s) on standard error: %s" % (line_count, lines))
    if said is not None:
        expect(name, any(said in line for line in lines), "says '%s'" % said)
    if result == "playable":
        expect(name, playable(path), "a playable %s" % output)
    elif result == "absent":
        expect(name, not os.path.lexists(path), "nothing under %s" % output)
    else:
        expect(name, result(path), "%s as it should be" % output)
    expect(name, temporaries(os.path.dirname(path)) == [], "no temporary left")


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def read(path):
    with open(path) as f:
        return f.read()


def plant(work, entries):
    """Files (text) and links (("link", target)) in the case's folder before it runs."""
    os.makedirs(work, exist_ok=True)
    for name, content in entries.items():
        path = os.path.join(work, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(content, tuple):
            os.symlink(content[1], path)
        else:
            write(path, content)


def work_of(name):
    return os.path.join(args.work, name)


# ---- Bad usage: refused before anything starts (64, the line and the hint) --
for name, options, said in [
        ("odd-mp4", ["--capture", "clip.mp4", "--size", "100x75"], "--size 100x74"),
        ("odd-mp4-width", ["--capture", "clip.mp4", "--size=301x226"], "--size 300x226"),
        ("swallowed", ["--capture", "--fps", "25"], "'--capture' needs a value"),
        ("help-value", ["--help=foo"], "'--help' takes no value"),
        ("overwrite-alone", ["--overwrite"], "needs '--capture'"),
        ("wav-too-long", ["--capture", "long/", "--seconds", "30000"], "24347 s")]:
    work, code, lines = run(name, ["--quiet"] + options)
    judge(name, work, code, lines, 64, "clip.mp4", "absent", said, line_count=2)

# ---- What is under the name already --------------------------------------
OLD = "an earlier file\n"
cases = [
    # name, planted, options, exit code, output, result, said
    ("exists", {"clip.mkv": OLD}, [], 1, "clip.mkv", lambda p: read(p) == OLD, "--overwrite"),
    ("exists-overwrite", {"clip.mkv": OLD}, ["--overwrite"], 0, "clip.mkv", "playable", None),
    ("link", {"target.txt": OLD, "clip.mkv": ("link", "target.txt")}, [], 1, "clip.mkv",
     lambda p: os.path.islink(p) and read(p) == OLD, "exists"),
    ("link-overwrite", {"target.txt": OLD, "clip.mkv": ("link", "target.txt")}, ["--overwrite"], 0, "clip.mkv",
     lambda p: not os.path.islink(p) and playable(p) and read(os.path.join(os.path.dirname(p), "target.txt")) == OLD,
     None),
    ("dangling-link", {"clip.mkv": ("link", "nowhere/clip.mkv")}, [], 1, "clip.mkv", os.path.islink, "exists"),
    ("folder-not-empty", {"frames/notes.txt": OLD}, ["--overwrite"], 1, "frames",
     lambda p: os.listdir(p) == ["notes.txt"], "more than a capture"),
    ("folder-earlier-capture", {"frames/frame_000000.png": OLD, "frames/audio.wav": OLD}, ["--overwrite"], 0,
     "frames", lambda p: playable(p) and len(os.listdir(p)) == 51, None),
    ("folder-hidden-file", {"frames/.keep": OLD}, [], 1, "frames", os.path.isdir, "not empty"),
]
for name, planted, options, exit_code, output, result, said in cases:
    plant(work_of(name), planted)
    target = output + "/" if "." not in output else output
    work, code, lines = run(name, ["--quiet", "--capture", target] + options + SMALL)
    judge(name, work, code, lines, exit_code, output, result, said, line_count=1 if exit_code else 0)

# ---- Names: as long as the file system allows, longer, and missing folders --
longest = "n" * 251 + ".mkv"
for name, output, exit_code, result, said in [
        ("longest-name", longest, 0, "playable", None),
        ("too-long-name", "n" * 252 + ".mkv", 1, "absent", "File name too long"),
        ("missing-folder", "missing/clip.mkv", 1, "absent", "No such file or directory"),
        ("loop", "loop/clip.mkv", 1, "absent", "Too many levels of symbolic links")]:
    if name == "loop":
        plant(work_of(name), {"loop": ("link", "loop")})
    work, code, lines = run(name, ["--quiet", "--capture", output] + SMALL)
    judge(name, work, code, lines, exit_code, output, result, said, line_count=1 if exit_code else 0)

# An unfinished capture of an earlier run is mentioned and left alone.
leftover = TEMPORARY + "AbCdEf.mkv"
plant(work_of("leftover"), {leftover: OLD})
work, code, lines = run("leftover", ["--quiet", "--capture", "clip.mkv"] + SMALL)
os.rename(os.path.join(work, leftover), os.path.join(work, "kept"))
judge("leftover", work, code, lines, 0, "clip.mkv", "playable", "1 unfinished capture")
expect("leftover", read(os.path.join(work, "kept")) == OLD, "the earlier run's file is untouched")

# The intro failing in its own set-up: no output, exit 1 (its own message
# and the capture's line). A folder: that build has no video module beside it.
work, code, lines = run("failing-intro", ["--quiet", "--capture", "frames/"] + SMALL, program=args.failing_intro)
judge("failing-intro", work, code, lines, 1, "frames", "absent", "ended before the capture was complete",
      line_count=2)

# ---- Signals ----------------------------------------------------------------
# The song once at 64 x 48 can be done in under 2 s on a fast machine, so the
# capture asked for is far longer than the 2 s before the signal.
for name, number in [("sigint", signal.SIGINT), ("sigterm", signal.SIGTERM), ("sighup", signal.SIGHUP)]:
    work, code, lines = run(name, ["--quiet", "--capture", "cut.mkv", "--size", "64x48", "--seconds", "1000"],
                            signals=[(2.0, number)])
    judge(name, work, code, lines, 128 + number, "cut.mkv", "playable", "stopped by %s" % number.name)
# A second Ctrl+C while a large .mp4 is finished is answered, not obeyed.
work, code, lines = run("second-sigint", ["--quiet", "--capture", "cut.mp4", "--size", "1920x1440"],
                        signals=[(2.0, signal.SIGINT), (0.3, signal.SIGINT)])
judge("second-sigint", work, code, lines, 130, "cut.mp4", "playable", "finishing the file, please wait",
      line_count=2)
# Nobody reads standard error (trelk --capture x.mkv 2>&1 | head -c 10): the
# progress is dropped, the capture goes on.
work, code, lines = run("closed-stderr", ["--capture", "clip.mkv"] + SMALL, close_stderr=True)
judge("closed-stderr", work, code, lines, 0, "clip.mkv", "playable", line_count=0)

# ---- A full disk: a small tmpfs in a mount namespace of this test's own -----
if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
    print("skipped: full disks (unshare -m needs root)")
else:
    for name, output, size, options, said in [
            ("full-mkv", "clip.mkv", "200k", ["--size", "320x240", "--seconds", "5"], "clip.mkv"),
            ("full-mp4", "clip.mp4", "20k", ["--size", "320x240", "--seconds", "5"], "clip.mp4"),
            ("full-wav", "frames/", "64k", ["--size", "64x48", "--fps", "1", "--seconds", "5"], "audio.wav"),
            ("full-png", "frames/", "64k", ["--size", "640x480", "--fps", "25", "--seconds", "5"], "frame_")]:
        work = work_of(name)
        disk = os.path.join(work, "disk")
        os.makedirs(disk)
        script = ('mount -t tmpfs -o size=%s tmpfs "$1" || exit 99; "$2" --quiet --capture "$1/%s" %s; code=$?; '
                  'ls -A "$1" >&2; exit $code' % (size, output, " ".join(options)))
        result = subprocess.run(["unshare", "-m", "--propagation", "private", "sh", "-c", script, "sh", disk,
                                 args.intro], cwd=work, env=environment(), capture_output=True,
                                text=True, timeout=300)
        lines = [line for line in result.stderr.splitlines() if line.strip()]
        expect(name, result.returncode == 1, "exit %d, expected 1 (%s)" % (result.returncode, " | ".join(lines)))
        # One line, and nothing listed after it: the disk is left empty.
        expect(name, len(lines) == 1 and "No space left on device" in lines[0] and said in lines[0],
               "one line naming %s and the system's reason: %s" % (said, lines))

if problems:
    fail("%d case(s) failed: %s" % (len(problems), ", ".join(problems)))
