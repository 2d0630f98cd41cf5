"""A long run of the intro under Xvfb with SDL's disk audio driver: samples
resident memory every 10 s, the frame rate and the sound every minute, and
checks that memory stays flat after the first minute (growth under 1 MB), the
frame rate stays at 25 and the song keeps playing past its loop point.

    python3 tests/e2e/long_run.py --intro build/default/trelk \
        --probe build/default/tests/e2e/x11_probe --work /tmp/long-run --assets assets [--minutes 30]
"""

import argparse
import array
import os
import shutil
import subprocess
import sys
import time

from e2e_harness import Intro, XServer

parser = argparse.ArgumentParser()
for name in ("--intro", "--probe", "--work", "--assets"):
    parser.add_argument(name, required=True)
parser.add_argument("--minutes", type=float, default=30.0)
args = parser.parse_args()
shutil.rmtree(args.work, ignore_errors=True)
os.makedirs(args.work)
sound = os.path.join(args.work, "sound.raw")


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def recent_loudness(seconds=5.0):
    """RMS of the last seconds written by the disk audio driver (44.1 kHz, 16-bit stereo)."""
    size = os.path.getsize(sound)
    want = int(seconds * 44100) * 4
    with open(sound, "rb") as f:
        f.seek(max(0, size - want))
        samples = array.array("h", f.read())
    if not samples:
        return 0.0
    return (sum(s * s for s in samples[::7]) / len(samples[::7])) ** 0.5


failures = []
with XServer() as server, Intro(server, args.intro, args.work, SDL_AUDIODRIVER="disk",
                               SDL_DISKAUDIOFILE=sound) as intro:
    intro.wait_window()
    start = time.time()
    samples = []
    next_minute = 60.0
    while time.time() - start < args.minutes * 60:
        time.sleep(10)
        elapsed = time.time() - start
        rss = resident_kb(intro.process.pid)
        samples.append((elapsed, rss))
        line = "%7.1f s  rss %6d kB" % (elapsed, rss)
        if elapsed >= next_minute:
            next_minute += 60.0
            fps = float(subprocess.run([args.probe, "fps", "5"], env=server.env(), capture_output=True,
                                       text=True).stdout or 0)
            loudness = recent_loudness()
            line += "  fps %5.2f  sound rms %7.1f" % (fps, loudness)
            if not 23.5 <= fps <= 25.5:
                failures.append("frame rate %.2f at %.0f s" % (fps, elapsed))
            if loudness < 50:
                failures.append("silence at %.0f s" % elapsed)
        print(line)
        sys.stdout.flush()
    baseline = next((rss for t, rss in samples if t >= 60), samples[0][1])
    peak = max(rss for _, rss in samples)
    growth = samples[-1][1] - baseline
    print("resident memory after the first minute %d kB, at the end %d kB (growth %d kB), peak %d kB"
          % (baseline, samples[-1][1], growth, peak))
    if growth >= 1024:
        failures.append("resident memory grew by %d kB after the first minute" % growth)
    code, _ = intro.stop_with_escape()
    if code != 0:
        failures.append("exit code %d" % code)

if failures:
    print("FAIL: " + "; ".join(failures))
    sys.exit(1)
print("ok: %.0f minutes, flat memory, 25 frames a second, the song kept playing" % args.minutes)
