"""The intro's whole-process figures under Xvfb, measured side by side in one
run: start-up from exec to the first flip, CPU use while presenting (share of
one core), frame rate, and peak resident memory.

    python3 bench/intro/measure_intro.py build/default [--seconds 20] [--runs 5]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from e2e_harness import XServer  # noqa: E402

parser = argparse.ArgumentParser()
parser.add_argument("build")
parser.add_argument("--seconds", type=float, default=20.0)
parser.add_argument("--runs", type=int, default=5)
args = parser.parse_args()
intro = os.path.abspath(os.path.join(args.build, "trelk"))
probe = os.path.abspath(os.path.join(args.build, "tests", "e2e", "x11_probe"))
ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def peak_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        return next(int(line.split()[1]) for line in f if line.startswith("VmHWM:"))


startups = []
with XServer() as server:
    env = server.env(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=os.devnull)
    for _ in range(args.runs):
        with tempfile.TemporaryDirectory() as work:
            watcher = subprocess.Popen([probe, "first-frame", "10"], env=env, stdout=subprocess.PIPE, text=True)
            time.sleep(0.05)  # the watcher is polling
            started = time.monotonic()
            process = subprocess.Popen([intro], cwd=work, env=env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            watcher.wait()
            startups.append((time.monotonic() - started) * 1000.0)
            process.terminate()
            process.wait()
            time.sleep(0.3)

    with tempfile.TemporaryDirectory() as work:
        process = subprocess.Popen([intro], cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(3.0)
        before, t0 = cpu_seconds(process.pid), time.monotonic()
        fps = subprocess.run([probe, "fps", str(args.seconds)], env=env, capture_output=True, text=True).stdout
        used, elapsed = cpu_seconds(process.pid) - before, time.monotonic() - t0
        peak = peak_kb(process.pid)
        process.terminate()
        process.wait()

print("start-up, exec to first flip: median %.0f ms (runs: %s)" % (statistics.median(startups),
                                                                   ", ".join("%.0f" % s for s in startups)))
print("CPU while presenting: %.1f %% of one core over %.0f s (the probe's own sampling excluded)"
      % (100.0 * used / elapsed, elapsed))
print("frame rate: %s frames a second" % fps.strip())
print("peak resident memory: %.1f MB" % (peak / 1024.0))
