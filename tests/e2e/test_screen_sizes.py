"""The screens people own: at 1920 x 1080 and 3840 x 2160 the picture fills
the centred 4:3 rectangle (brought back down to 640 x 480 it shows the frame's
layout: white screen, the picture on the bottom edge), the borders are black,
the cursor is hidden, and Escape ends the run with exit code 0. With
--scale integer the picture is the largest whole multiple of the frame,
black above and below it as well."""

import os
import subprocess
import time

from e2e_harness import (Image, Intro, XServer, check, exit_limit, parse_args, picture_layout, side_borders,
                         whiteish)

args = parse_args()
picture = Image.from_file(os.path.join(args.assets, "picture.gif"))


def close(a, b, tolerance):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def check_screen(width, height):
    work = os.path.join(args.work, "%dx%d" % (width, height))
    os.makedirs(work)
    layout = picture_layout(width, height)
    with XServer(width, height) as server, Intro(server, args.intro, work) as intro:
        intro.wait_window()
        time.sleep(2.0)
        shot_path = os.path.join(work, "screen.xwd")
        frame = server.picture_shot(shot_path, layout)
        frame.save_ppm(os.path.join(work, "picture-at-640x480.ppm"))
        border = side_borders(shot_path, width, height)
        check(border and all(rgb == (0, 0, 0) for rgb in border),
              "%dx%d: black borders left and right of the picture" % (width, height))
        for px, py in [(5, 5), (630, 5), (630, 400), (560, 470)]:
            check(close(frame.pixel(px, py), (255, 255, 255), 3), "%dx%d: white at (%d, %d) of the frame"
                  % (width, height, px, py))
        # The still part of the picture, below the text panel: where it lies
        # in the frame, within what scaling smooths at its edges.
        off = sum(1 for px, py, rgb in frame.region(424, 344, 516, 476)
                  if not close(rgb, picture.pixel(px, py - 74), 40))
        check(off < 92 * 132 // 50, "%dx%d: the picture lies on the frame's bottom edge (%d pixels off)"
              % (width, height, off))
        cursor = subprocess.run([args.probe, "cursor"], env=server.env(), capture_output=True, text=True).stdout
        check(cursor.strip() == "hidden", "%dx%d: the cursor is hidden" % (width, height))
        code, elapsed = intro.stop_with_escape()
        check(code == 0 and elapsed < exit_limit(args.intro, 1.5), "%dx%d: Escape ends it with exit 0 (%d after %.2f s)"
              % (width, height, code, elapsed))


for size in [(1920, 1080), (3840, 2160)]:
    check_screen(*size)


def check_integer_scale():
    """1920 x 1080: the frame twice over, 1280 x 960 at (320, 60)."""
    work = os.path.join(args.work, "integer")
    os.makedirs(work)
    with XServer(1920, 1080) as server, Intro(server, args.intro, work, ["--scale", "integer"]) as intro:
        intro.wait_window()
        time.sleep(2.0)
        shot = server.screenshot(os.path.join(work, "screen.xwd"))
        check(shot.pixel(960, 30) == (0, 0, 0) and shot.pixel(960, 1050) == (0, 0, 0),
              "--scale integer: black above and below the picture (%s, %s)"
              % (shot.pixel(960, 30), shot.pixel(960, 1050)))
        check(whiteish(shot.pixel(330, 70)) and whiteish(shot.pixel(1590, 70)),
              "--scale integer: the frame's white top corners at twice their place")
        code, _ = intro.stop_with_escape()
        check(code == 0, "--scale integer: Escape ends it with exit 0 (%d)" % code)


check_integer_scale()
