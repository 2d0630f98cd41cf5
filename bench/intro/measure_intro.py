"""The intro's whole-process figures under Xvfb at the screen sizes people own,
for each presenter, measured side by side in one run: start-up from exec to
the first flip (the picture's time less what the intro says with --verbose
its first present took) and from exec to the picture on the screen, CPU use while presenting (the intro alone, the X server beside
it, each as a share of one core), frame rate counted on the ring's part of the
picture, peak resident memory, and wake-ups a second (context switches of the
main thread and of the whole process).

    python3 bench/intro/measure_intro.py build/default [--seconds 10] [--runs 3]
        [--sizes 640x480,1920x1080] [--renderers software,gpu]

The GPU rows run Mesa's OpenGL (llvmpipe) on Xvfb: a check of that path, not
of what a GPU would cost.
"""

import argparse
import glob
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from e2e_harness import XServer, picture_layout  # noqa: E402

parser = argparse.ArgumentParser()
parser.add_argument("build")
parser.add_argument("--seconds", type=float, default=10.0)
parser.add_argument("--runs", type=int, default=3)
parser.add_argument("--sizes", default="640x480,1280x960,1920x1080,2560x1440,3840x2160")
parser.add_argument("--renderers", default="auto,gpu")
args = parser.parse_args()
intro = os.path.abspath(os.path.join(args.build, "trelk"))
probe = os.path.abspath(os.path.join(args.build, "tests", "e2e", "x11_probe"))
ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def status_field(path, name):
    with open(path) as f:
        return next(int(line.split()[1]) for line in f if line.startswith(name + ":"))


def switches(pid):
    """Context switches (voluntary and not) of the main thread and of every thread."""
    def of(path):
        return status_field(path, "voluntary_ctxt_switches") + status_field(path, "nonvoluntary_ctxt_switches")
    total = sum(of(path) for path in glob.glob("/proc/%d/task/*/status" % pid))
    return of("/proc/%d/status" % pid), total


def scaled(layout, x, y, w=0, h=0):
    """Frame coordinates on the screen."""
    lx, ly, lw, lh = layout
    return [lx + x * lw // 640, ly + y * lh // 480] + ([w * lw // 640, h * lh // 480] if w else [])


def intro_env(server):
    """The X server's display, and the sound going nowhere."""
    return server.env(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=os.devnull)


def start_intro(server, work, options=(), verbose=False):
    """The intro in `work`; with `verbose`, what it says comes back on a pipe."""
    return subprocess.Popen([intro] + (["--verbose"] if verbose else []) + list(options), cwd=work,
                            env=intro_env(server), stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE if verbose else subprocess.DEVNULL, text=True)


def measure(width, height, renderer):
    layout = picture_layout(width, height)
    options = ["--renderer", renderer]
    with XServer(width, height) as server:
        env = intro_env(server)
        startups = []
        flips = []  # exec to the program's first flip: the picture's time less the first present's
        for _ in range(args.runs):
            with tempfile.TemporaryDirectory() as work:
                at = [str(v) for v in scaled(layout, 100, 470)]
                watcher = subprocess.Popen([probe, "first-frame", "10"] + at, env=env, stdout=subprocess.PIPE,
                                           text=True)
                time.sleep(0.05)  # the watcher is polling
                started = time.monotonic()
                process = start_intro(server, work, options, verbose=True)
                watcher.wait()
                startups.append((time.monotonic() - started) * 1000.0)
                process.terminate()
                said = process.communicate()[1]
                first = re.search(r"the first frame took ([0-9.]+) ms to present", said)
                flips.append(startups[-1] - (float(first.group(1)) if first else float("nan")))
                time.sleep(0.3)

        with tempfile.TemporaryDirectory() as work:
            process = start_intro(server, work, options)
            time.sleep(3.0)
            # CPU and wake-ups with nothing else looking at the screen.
            intro0, server0, (main0, all0) = cpu_seconds(process.pid), cpu_seconds(server.process.pid), \
                switches(process.pid)
            t0 = time.monotonic()
            time.sleep(args.seconds)
            elapsed = time.monotonic() - t0
            intro_cpu = (cpu_seconds(process.pid) - intro0) / elapsed
            server_cpu = (cpu_seconds(server.process.pid) - server0) / elapsed
            main1, all1 = switches(process.pid)
            area = [str(v) for v in scaled(layout, 60, 100, 300, 300)]
            fps = subprocess.run([probe, "fps", str(min(args.seconds, 8.0))] + area, env=env, capture_output=True,
                                 text=True).stdout.strip()
            peak = status_field("/proc/%d/status" % process.pid, "VmHWM")
            process.terminate()
            process.wait()
    return {
        "startup": statistics.median(startups), "startups": startups, "flip": statistics.median(flips),
        "intro": 100 * intro_cpu, "server": 100 * server_cpu, "fps": fps, "peak": peak / 1024.0,
        "wakeups": ((main1 - main0) / elapsed, (all1 - all0) / elapsed),
    }


def warm_up():
    """The first intro started after the machine sat idle runs slow for a while
    (its CPU up to twice the later runs'): one run that is not counted."""
    with XServer(640, 480) as server, tempfile.TemporaryDirectory() as work:
        process = start_intro(server, work)
        time.sleep(5.0)
        process.terminate()
        process.wait()


warm_up()
rows = []
for renderer in args.renderers.split(","):
    for size in args.sizes.split(","):
        width, height = (int(v) for v in size.split("x"))
        result = measure(width, height, renderer)
        rows.append((renderer, size, result))
        print("%-8s %-10s first flip %4.0f ms  picture %4.0f ms  intro %5.1f %%  X server %5.1f %%  %s fps  peak %5.1f MB  "
              "wake-ups %4.0f/s main thread, %4.0f/s all threads" % (
                  renderer, size, result["flip"], result["startup"], result["intro"], result["server"], result["fps"],
                  result["peak"], result["wakeups"][0], result["wakeups"][1]), flush=True)

print("\n| renderer | screen | frames a second | the intro's CPU | X server's CPU | peak memory "
      "| start-up: exec to the first flip / to the picture | wake-ups a second (main thread / all) |")
print("|---|---|---|---|---|---|---|---|")
for renderer, size, r in rows:
    print("| %s | %s | %s | %.1f %% | %.1f %% | %.1f MB | %.0f / %.0f ms | %.0f / %.0f |" % (
        renderer, size.replace("x", " x "), r["fps"], r["intro"], r["server"], r["peak"], r["flip"], r["startup"],
        r["wakeups"][0], r["wakeups"][1]))
