"""Builds of the intro with one asset truncated or corrupted: each shows the
failure behaviour the program specifies for it, and none crashes."""

import os
import subprocess
import time

from e2e_harness import FIRST_LINES, TITLE, Image, Intro, XServer, check, exit_limit, ink_pixels, parse_args, text_shown

args = parse_args()
# The intro waits up to a second for the music, then releases what it made.
EXIT_LIMIT = exit_limit(args.intro, 1.5)
build = os.path.dirname(args.probe)
FATAL_MESH = 255  # WinMain's -1 after "Failed to load mesh."


def titled_windows(server):
    """Every window titled like the intro, the message box (which has no
    class, so xdotool passes it over) included, as decimal ids."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], env=server.env(), capture_output=True, text=True).stdout
    return [str(int(line.split()[0], 16)) for line in tree.splitlines() if '"%s"' % TITLE in line]


picture = Image.from_file(os.path.join(args.assets, "picture.gif"))


def picture_pixels(shot):
    return sum(1 for _, _, rgb in shot.region(0, 420, 300, 480) if rgb != (255, 255, 255) and sum(rgb) > 60)


def run(server, name):
    work = os.path.join(args.work, name)
    os.makedirs(work)
    with Intro(server, os.path.join(build, "trelk_" + name), work) as intro:
        window = intro.wait_window()
        time.sleep(1.5)
        if name == "mesh_corrupt":
            # The fatal error box, captioned like the window, waits for its OK.
            boxes = []
            for _ in range(100):
                boxes = [w for w in titled_windows(server) if w != window]
                if boxes:
                    break
                time.sleep(0.05)
            check(len(boxes) == 1, "%s: the fatal error box is shown" % name)
            server.xdotool("windowfocus", "--sync", boxes[0])
            intro.key("Return")
            code, _ = intro.wait_exit(timeout=10.0)
            return code, 0.0, None, intro, None
        shot = server.screenshot(os.path.join(work, "shot.xwd"))
        # With the font whole, the text the font's absence must not show.
        text = text_shown(server, picture, os.path.join(work, "text.xwd")) if name == "song_truncate" else None
        code, elapsed = intro.stop_with_escape(timeout=10.0)
        return code, elapsed, shot, intro, text


with XServer() as server:
    for name in ["picture_truncate", "picture_corrupt", "font_truncate", "font_corrupt", "mesh_truncate",
                 "mesh_corrupt", "song_truncate", "song_corrupt"]:
        code, elapsed, shot, intro, text = run(server, name)
        lines = intro.log_lines()
        stdout = open(os.path.join(intro.work, "stdout.txt")).read()
        check(0 <= code < 128 or code == FATAL_MESH, "%s: no crash (exit %d)" % (name, code))
        check(lines[-1:] == ["de-referencing DirectX"], "%s: the display was released at exit" % name)
        if name == "mesh_corrupt":
            check(code == FATAL_MESH, "%s: the fatal error ends the start-up with -1" % name)
            check(not any(line.startswith("Object") for line in lines), "%s: no object was read" % name)
            continue
        check(code == 0, "%s: exit code 0 after Escape" % name)
        if name == "picture_corrupt":
            check(picture_pixels(shot) == 0, "%s: without a picture no frame is composed" % name)
            check(elapsed < EXIT_LIMIT, "%s: Escape ends the run %.2f s later" % (name, elapsed))
        elif name == "font_truncate":
            check(picture_pixels(shot) > 1000, "%s: the picture is shown" % name)
            text = ink_pixels(shot, picture, FIRST_LINES)
            check(text == 0, "%s: the panel stays transparent without its font (%d ink pixels)" % (name, text))
        elif name == "song_corrupt":
            check("MikMod Error:" in stdout, "%s: the song's error line is printed" % name)
            check(elapsed < EXIT_LIMIT, "%s: Escape waits at most its second for the music (%.2f s)" % (name, elapsed))
        else:
            check(picture_pixels(shot) > 1000, "%s: the picture is shown" % name)
            check(elapsed < EXIT_LIMIT, "%s: Escape ends the run %.2f s later" % (name, elapsed))
            if name == "song_truncate":
                check(text > 100, "%s: the panel shows its text (%d ink pixels)" % (name, text))
