"""What the viewer sees: a white screen, the picture exactly on the bottom
edge, the text panel at (319, 110), the green-lit copies of the mesh on the
ring, and the ring moving between two screenshots a second apart."""

import os
import time

from e2e_harness import (FIRST_LINES, PANEL, PICTURE_ORIGIN, RING_CLEAR_X, Image, Intro, XServer, check, close,
                         exit_limit, expected_background, ink_pixels, parse_args, text_shown)

PICTURE_X, PICTURE_Y = PICTURE_ORIGIN
WHITE = (255, 255, 255)


def in_panel(x, y):
    return PANEL[0] <= x <= PANEL[2] and PANEL[1] <= y <= PANEL[3]


def mesh_pixels(shot, picture):
    """Pixels outside the panel that are neither white nor the picture."""
    found = []
    for x, y, rgb in shot.region(0, 0, 640, 480):
        if not in_panel(x, y) and not close(rgb, expected_background(picture, x, y), 24):
            found.append((x, y, rgb))
    return found


args = parse_args()
picture = Image.from_file(os.path.join(args.assets, "picture.gif"))
check((picture.width, picture.height) == (520, 406), "the picture is 520 x 406")

with XServer() as server, Intro(server, args.intro, args.work) as intro:
    intro.wait_window()
    time.sleep(2.0)
    first = server.screenshot(os.path.join(args.work, "after-2s.xwd"))
    time.sleep(1.0)
    second = server.screenshot(os.path.join(args.work, "after-3s.xwd"))
    first.save_ppm(os.path.join(args.work, "after-2s.ppm"))
    second.save_ppm(os.path.join(args.work, "after-3s.ppm"))

    for x, y in [(5, 5), (630, 5), (400, 60), (630, 70), (630, 400), (560, 470)]:
        check(close(first.pixel(x, y), WHITE, 2), "white background at (%d, %d)" % (x, y))

    # Where nothing covers it, the picture is exactly at (0, 74): its right part below the panel.
    mismatches = sum(1 for x, y, rgb in first.region(420, 340, 520, 480)
                     if not close(rgb, picture.pixel(x - PICTURE_X, y - PICTURE_Y)))
    check(mismatches == 0, "the picture lies exactly at (0, 74) to (519, 479) (%d pixels off)" % mismatches)
    shifted = sum(1 for x, y, rgb in first.region(420, 340, 519, 480)
                  if not close(rgb, picture.pixel(x + 1 - PICTURE_X, y - PICTURE_Y)))
    check(shifted > 100, "a one-pixel shift would be noticed (%d pixels differ)" % shifted)
    check(all(close(first.pixel(x, 479), picture.pixel(x, 405)) for x in range(0, 100)),
          "the picture reaches the bottom edge")

    # The panel: the font's ink inside its rectangle, none right above it.
    inside = ink_pixels(first, picture, FIRST_LINES)
    if inside <= 100:  # a loaded machine composes the reveal's frames later
        inside = text_shown(server, picture, os.path.join(args.work, "text.xwd"))
    check(inside > 100, "text is revealed at the top of the panel (%d ink pixels)" % inside)
    above = sum(1 for x, y, rgb in first.region(520, PANEL[1] - 10, 640, PANEL[1]) if not close(rgb, WHITE, 2))
    check(above == 0, "nothing of the panel above y 110")

    # The copies of the mesh: green-lit, on the left half, moving.
    mesh_first = mesh_pixels(first, picture)
    mesh_second = mesh_pixels(second, picture)
    check(len(mesh_first) > 300 and len(mesh_second) > 300,
          "copies of the mesh are drawn (%d and %d pixels)" % (len(mesh_first), len(mesh_second)))
    mean = [sum(rgb[c] for _, _, rgb in mesh_first) / len(mesh_first) for c in range(3)]
    check(mean[1] > mean[0] + 10 and mean[1] >= mean[2], "the copies are lit green (mean %s)" % mean)
    xs = [x for x, _, _ in mesh_first]
    check(max(xs) < RING_CLEAR_X, "the copies stay on the left of the screen (max x %d)" % max(xs))
    moved = len({(x, y) for x, y, _ in mesh_first} ^ {(x, y) for x, y, _ in mesh_second})
    check(moved > 200, "the ring moved between the screenshots (%d pixels changed)" % moved)

    code, elapsed = intro.stop_with_escape()
    check(code == 0 and elapsed < exit_limit(args.intro, 1.5), "Escape still ends the run within 1.5 s")
