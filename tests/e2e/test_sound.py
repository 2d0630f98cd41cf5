"""The song plays: with SDL's disk audio driver the intro writes sound that is
audible, not clipped and keeps pace with the clock, and Escape stops it within
a second."""

import array
import os
import time

from e2e_harness import Intro, XServer, check, exit_limit, parse_args

RATE = 44100  # 16-bit stereo frames a second, as the mixer opens the device

args = parse_args()
sound = os.path.join(args.work, "sound.raw")
with XServer() as server, Intro(server, args.intro, args.work, SDL_AUDIODRIVER="disk",
                               SDL_DISKAUDIOFILE=sound) as intro:
    intro.wait_window()
    time.sleep(1.0)
    size_before, at = os.path.getsize(sound), time.time()
    time.sleep(4.0)
    written_seconds = (os.path.getsize(sound) - size_before) / 4 / RATE
    elapsed = time.time() - at
    code, stopped_after = intro.stop_with_escape()

with open(sound, "rb") as f:
    samples = array.array("h", f.read())
rms = (sum(s * s for s in samples) / max(1, len(samples))) ** 0.5
clipped = sum(1 for s in samples if s in (32767, -32768))
check(code == 0 and stopped_after < exit_limit(args.intro, 1.0), "Escape stopped the song %.2f s later" % stopped_after)
check(abs(written_seconds - elapsed) < 0.5, "sound is written at the clock's pace (%.2f s in %.2f s)"
      % (written_seconds, elapsed))
check(rms > 500, "the song is audible (rms %.0f)" % rms)
check(clipped <= len(samples) // 10000, "the song is not clipped (%d of %d samples at full scale)"
      % (clipped, len(samples)))
