"""Capture: the intro rendered on a virtual clock into a video, with no display.
Two captures are the same byte for byte; the frames showing composed frames 1,
2 and 100 equal the golden frames; the first 20 s of sound are the mixer's
own, sample for sample; a flash and its click line up to the sample; FFmpeg reads both streams of a .mkv and an .mp4 at the same length;
Ctrl+C leaves a playable file of what was captured (exit 130); bad usage and unwritable
outputs leave nothing under the given name.

    capture_test.py --intro trelk --sync capture_sync_program --mixer song_reference_program
                    --golden DIR --work DIR
"""

import argparse
import array
import filecmp
import glob
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import time
import wave
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_harness import check, fail, sanitizer_options  # noqa: E402

parser = argparse.ArgumentParser()
for name in ("--intro", "--sync", "--mixer", "--golden", "--work"):
    parser.add_argument(name, required=True)
args = parser.parse_args()
shutil.rmtree(args.work, ignore_errors=True)
os.makedirs(args.work)
if shutil.which("ffmpeg") is None:
    fail("ffmpeg is not installed (scripts/install-deps.sh installs it)")


def environment():
    """No display of any kind: a capture needs none."""
    env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(sanitizer_options(args.intro))
    return env


def capture(name, *options, program=None, expect=0):
    work = os.path.join(args.work, name)
    os.makedirs(work, exist_ok=True)
    result = subprocess.run([program or args.intro, "--quiet"] + list(options), cwd=work, env=environment(),
                            capture_output=True, text=True, timeout=600)
    if result.returncode != expect:
        fail("%s: exit %d, expected %d (%s)" % (name, result.returncode, expect, result.stderr.strip()))
    return work, result


def decoded(path, width=640, height=480):
    """Every frame of a video file as raw RGB, decoded by FFmpeg."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         capture_output=True, check=True).stdout
    size = width * height * 3
    return [raw[i:i + size] for i in range(0, len(raw), size)]


def png_rgb(path):
    return subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout


def streams(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_entries",
                            "stream=codec_type,codec_name,nb_read_frames,duration:format=duration", "-of", "json",
                            path], capture_output=True, text=True)
    return json.loads(probe.stdout) if probe.returncode == 0 else None


def leftovers(folder):
    """What a capture writes into before its output is complete."""
    return [entry for entry in os.listdir(folder) if entry.startswith(".trelk-capture-")]


# Determinism: two 10-second captures into folders, frames and sound.
first, _ = capture("folder-1", "--capture", "out/", "--seconds", "10")
second, _ = capture("folder-2", "--capture", "out/", "--seconds", "10")
one, two = os.path.join(first, "out"), os.path.join(second, "out")
frames = sorted(os.listdir(one))
match, mismatch, errors = filecmp.cmpfiles(one, two, frames, shallow=False)
check(len(frames) == 501 and frames[-1] == "frame_000499.png" and "audio.wav" in frames,
      "a folder of 500 numbered PNG frames and audio.wav")
check(sorted(os.listdir(two)) == frames and not mismatch and not errors,
      "two captures are identical byte for byte (%d files differ)" % len(mismatch + errors))
with wave.open(os.path.join(one, "audio.wav")) as sound:
    check((sound.getframerate(), sound.getnchannels(), sound.getsampwidth(), sound.getnframes())
          == (44100, 2, 2, 441000), "the sound: 10 s of 44100 Hz 16-bit stereo")
    samples = array.array("h", sound.readframes(sound.getnframes()))
check(max(abs(v) for v in samples[44100 * 8:44100 * 16]) > 1000, "the song is playing")
check(leftovers(first) == [], "nothing left under a temporary name")

# Frame-exact, from a lossless .mkv: composed frames 1, 2 and 100 as golden.
work, _ = capture("mkv-25", "--capture", "intro.mkv", "--fps", "25", "--seconds", "5")
video = decoded(os.path.join(work, "intro.mkv"))
check(len(video) == 125, "125 frames at 25 a second for 5 s (%d)" % len(video))
for composed in (1, 2, 100):
    golden = png_rgb(os.path.join(args.golden, "frame%d.png" % composed))
    shown = [n for n, frame in enumerate(video) if frame == golden]
    check(shown, "composed frame %d appears pixel for pixel (video frames %s)" % (composed, shown))
again, _ = capture("mkv-25-again", "--capture", "intro.mkv", "--fps", "25", "--seconds", "5")
check(decoded(os.path.join(again, "intro.mkv")) == video, "two .mkv captures decode to the same frames")
info = streams(os.path.join(work, "intro.mkv"))
kinds = {s["codec_type"]: s for s in info["streams"]}
check(kinds["video"]["codec_name"] == "ffv1" and kinds["audio"]["codec_name"] == "flac",
      ".mkv holds FFV1 and FLAC")


# The sound: the first 20 s are what the mixer alone makes of the song over
# that span through its memory device (no intro, no capture), sample for sample.
work, _ = capture("song-20", "--capture", "song/", "--seconds", "20", "--size", "64x48")
with wave.open(os.path.join(work, "song", "audio.wav")) as sound:
    captured = sound.readframes(sound.getnframes())
mixed = subprocess.run([args.mixer, "20"], capture_output=True, check=True, env=environment()).stdout
check(len(captured) == 20 * 44100 * 4 and captured == mixed, "20 s of sound, the mixer's own sample for sample")


# Picture and sound in step: each white flash's first video frame n starts at
# sample n x 44100 / fps, and its click is heard from the next sound buffer
# of the device (512 frames), never before the frame and never a frame late.
def first_pixel(path):
    data, pos, idat = open(path, "rb").read(), 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        idat += data[pos + 8:pos + 8 + length] if kind == b"IDAT" else b""
        pos += 12 + length
    return zlib.decompress(idat)[1]  # the filter byte, then the first red


for fps in (50, 30):
    work, _ = capture("sync-%d" % fps, "--capture", "sync/", "--fps", str(fps), "--seconds", "3", "--size",
                      "64x48", program=args.sync)
    red = [first_pixel(p) for p in sorted(glob.glob(os.path.join(work, "sync", "frame_*.png")))]
    flashes = [n for n in range(1, len(red)) if red[n] > 128 and red[n - 1] <= 128]
    with wave.open(os.path.join(work, "sync", "audio.wav")) as sound:
        left = array.array("h", sound.readframes(sound.getnframes()))[0::2]
    onsets = [i for i in range(1, len(left)) if abs(left[i]) > 1000 and abs(left[i - 1]) <= 1000]
    offsets = [onset - n * 44100 // fps for n, onset in zip(flashes, onsets)]
    check(len(flashes) == len(onsets) >= 10 and all(0 <= offset < 512 for offset in offsets),
          "%d fps: every flash's click starts within the device buffer after its frame (%s)" % (fps, offsets))

# An .mp4 for video sites: H.264 in yuv420p and AAC, streams of one length.
work, _ = capture("mp4", "--capture", "intro.mp4", "--seconds", "3", "--size", "320x240")
info = streams(os.path.join(work, "intro.mp4"))
kinds = {s["codec_type"]: s for s in info["streams"]}
check(kinds["video"]["codec_name"] == "h264" and kinds["audio"]["codec_name"] == "aac" and
      int(kinds["video"]["nb_read_frames"]) == 150, ".mp4 holds 150 H.264 frames and AAC")
check(abs(float(kinds["video"]["duration"]) - float(kinds["audio"]["duration"])) <= 1 / 50,
      "video and audio of the same length within a frame (%s, %s)"
      % (kinds["video"]["duration"], kinds["audio"]["duration"]))

# Ctrl+C after about 3 s: a playable file of what was captured so far.
work = os.path.join(args.work, "interrupted")
os.makedirs(work)
process = subprocess.Popen([args.intro, "--quiet", "--capture", "cut.mkv"], cwd=work, env=environment(),
                           stderr=subprocess.PIPE, text=True)
time.sleep(3.0)
process.send_signal(signal.SIGINT)
code = process.wait(timeout=120)
info = streams(os.path.join(work, "cut.mkv"))
seconds = float(info["format"]["duration"]) if info else 0.0
check(code == 130 and 0.5 < seconds < 60 and leftovers(work) == [],
      "Ctrl+C: exit 130 and a playable file of %.1f s, nothing else left" % seconds)

# Bad usage (64) and outputs that cannot be written (1): nothing under the name.
for name, options, expect in [
        ("extension", ["--capture", "out.avi"], 64),
        ("fps-0", ["--capture", "out.mkv", "--fps", "0"], 64),
        ("fps-241", ["--capture", "out.mkv", "--fps", "241"], 64),
        ("seconds-0", ["--capture", "out.mkv", "--seconds", "0"], 64),
        ("size-small", ["--capture", "out.mkv", "--size", "63x48"], 64),
        ("size-large", ["--capture", "out.mkv", "--size", "7680x5761"], 64),
        ("fps-alone", ["--fps", "25"], 64),
        ("no-folder", ["--capture", "missing/out.mkv"], 1),
        ("no-folder-png", ["--capture", "missing/out/"], 1)]:
    work, result = capture("bad-" + name, *options, expect=expect)
    check(len(result.stderr.strip().splitlines()) in (1, 2) and os.listdir(work) in ([], ["debug.log"]),
          "%s: exit %d, one clear line (%s), nothing written" % (" ".join(options), expect,
                                                                  result.stderr.strip().splitlines()[0]))

# The program without its video module (copied alone): .mkv cannot be made,
# the message says so and points to the folder form, which still works.
alone = os.path.join(args.work, "alone")
os.makedirs(alone, exist_ok=True)
shutil.copy(args.intro, alone)
lone = os.path.join(alone, os.path.basename(args.intro))
work, result = capture("alone-mkv", "--capture", "out.mkv", "--seconds", "1", program=lone, expect=1)
check("trelk-video.so" in result.stderr and "--capture out/" in result.stderr and
      os.listdir(work) in ([], ["debug.log"]), "without its module: exit 1, %s" % result.stderr.strip())
work, _ = capture("alone-folder", "--capture", "out/", "--seconds", "1", "--size", "64x48", program=lone)
check(len(os.listdir(os.path.join(work, "out"))) == 51, "without its module a folder capture still works")
