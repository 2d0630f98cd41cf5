"""The web build's figures beside the native build's, on this machine:

- the site's size, as served and compressed with gzip;
- one composed frame's time as WebAssembly (under node) and natively
  (bench/web/frame_timing, the same work as bench_frame);
- in Debian's headless Chromium at a 1280 x 960 viewport, from a plain
  static server: from the key press to the first frame, the frame rate over
  --seconds, runs of frames that never reached the canvas, and the CPU of all
  of Chromium's processes less that of the same page idle on its start
  screen, as a share of one core.

    bench/web/web_bench.py [--seconds 60]   (after scripts/build-web.sh and
                                             cmake --preset default)
"""

import argparse
import gzip
import json
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
from web_harness import Browser, static_server  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
FRAME_RATE = 24.4


def site_sizes(site):
    raw = packed = 0
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        raw += len(data)
        packed += len(gzip.compress(data, 9))
    return raw, packed


def frame_time(command, runs=3):
    medians = []
    for _ in range(runs):
        out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
        line = [l for l in out.splitlines() if l.startswith("{")][-1]
        medians.append(json.loads(line)["median_us"])
    return statistics.median(medians)


def process_tree_ticks(root_pid):
    """CPU ticks (user + system) of a process and all its descendants."""
    parents, ticks = {}, {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        pid = int(entry)
        parents[pid] = int(fields[1])
        ticks[pid] = int(fields[11]) + int(fields[12])
    total = 0
    for pid, value in ticks.items():
        p = pid
        while p and p != root_pid:
            p = parents.get(p, 0)
        if p == root_pid:
            total += value
    return total


def cpu_share(browser, seconds):
    before = process_tree_ticks(browser.process.pid)
    time.sleep(seconds)
    return (process_tree_ticks(browser.process.pid) - before) / TICKS / seconds


def browser_figures(site, seconds, idle_seconds):
    with static_server(site) as url, Browser(1280, 960) as browser:
        browser.open(url)
        browser.wait_for("window.trelkPage && trelkPage.state === 'ready'", 60, "the start screen")
        time.sleep(2)
        idle = cpu_share(browser, idle_seconds)
        browser.press_space()
        browser.wait_for("trelkPage.framesShown > 0", 10, "the first frame")
        first_frame_ms = browser.evaluate("trelkPage.firstFrameAt - trelkPage.startedAt")
        time.sleep(2)  # past the start
        shown_before = browser.evaluate("trelkPage.framesShown")
        times_before = browser.evaluate("trelkPage.frameTimes.length")
        busy = cpu_share(browser, seconds)
        shown = browser.evaluate("trelkPage.framesShown") - shown_before
        times = browser.evaluate("trelkPage.frameTimes")[times_before:]
        skipped = browser.evaluate("trelkPage.framesSkipped")
        underruns = browser.evaluate("trelkPage.audioUnderruns")
        gaps = [b - a for a, b in zip(times, times[1:])]
        long_gaps = sum(1 for g in gaps if g > 2.5 * 1000 / FRAME_RATE)
        browser.press_escape()
        browser.wait_for("trelkPage.state === 'ended'", 10, "the end")
        return {
            "first_frame_ms": first_frame_ms,
            # Frames between the first and the last one of the window, over the time between them.
            "fps": (len(times) - 1) * 1000 / (times[-1] - times[0]) if len(times) > 1 else 0.0,
            "frames_shown": shown,
            "frames_never_shown": skipped,
            "gaps_over_2.5_frames": long_gaps,
            "longest_gap_ms": max(gaps) if gaps else None,
            "sound_underrun_frames": underruns,
            "cpu_idle_page": idle,
            "cpu_running": busy,
            "cpu_page": busy - idle,
        }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=60.0)
    parser.add_argument("--idle-seconds", type=float, default=20.0)
    args = parser.parse_args()
    env = dict(os.environ, NODE_PATH="/usr/share/nodejs")
    for preset in ("default", "web"):
        subprocess.run(["cmake", "--build", "--preset", preset, "--target", "frame_timing"], cwd=ROOT, env=env,
                       check=True, stdout=subprocess.DEVNULL)
    site = os.path.join(ROOT, "build", "web", "site")
    raw, packed = site_sizes(site)
    print(f"site: {raw / 1000:.0f} kB, {packed / 1000:.0f} kB with gzip")
    native_us = frame_time([os.path.join(ROOT, "build", "default", "bench", "web", "frame_timing"), "600"])
    wasm_us = frame_time(["node", "--no-experimental-fetch",
                          os.path.join(ROOT, "build", "web", "bench", "web", "frame_timing.js"), "600"])
    print(f"composed frame: {wasm_us:.0f} us as WebAssembly, {native_us:.0f} us natively "
          f"({wasm_us / native_us:.2f}x)")
    figures = browser_figures(site, args.seconds, args.idle_seconds)
    print(f"Chromium at 1280 x 960: first frame {figures['first_frame_ms']:.0f} ms after the key; "
          f"{figures['fps']:.2f} frames a second over {args.seconds:.0f} s; "
          f"{figures['frames_never_shown']} frames never shown, {figures['gaps_over_2.5_frames']} gaps over "
          f"2.5 frames (longest {figures['longest_gap_ms']:.0f} ms); "
          f"{figures['sound_underrun_frames']} sound frames played as silence for want of a mix; CPU {figures['cpu_page'] * 100:.1f} % of a core "
          f"({figures['cpu_running'] * 100:.1f} % running less {figures['cpu_idle_page'] * 100:.1f} % idle)")


if __name__ == "__main__":
    main()
