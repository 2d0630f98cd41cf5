"""Helpers for the end-to-end tests: a private Xvfb, the intro process, key
presses through xdotool, and screenshots read from xwd files."""

import argparse
import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import time

TITLE = "Vorlix - Trelk Intro"
CLASS_NAME = "TestClass01"
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# What every run of an address-sanitizer build gets, as the asan test preset
# gives it to ctest: leak checking with the suppressions for system
# libraries' lifetime allocations (not listed on standard error), and the
# first report ends the run.
ADDRESS_SANITIZER_OPTIONS = {
    "ASAN_OPTIONS": "detect_leaks=1:abort_on_error=1",
    "UBSAN_OPTIONS": "halt_on_error=1:print_stacktrace=1",
    "LSAN_OPTIONS": "suppressions=%s:print_suppressions=0"
                    % os.path.join(ROOT, "tests", "sanitizers", "lsan.supp"),
}


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--intro", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--assets", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    return args


def sanitizer(executable):
    """The sanitizer executable was built with ("address", "thread"), or ""
    for a plain build: its build directory's CMakeCache.txt says so."""
    directory = os.path.dirname(os.path.abspath(executable))
    while directory != os.path.dirname(directory):
        cache = os.path.join(directory, "CMakeCache.txt")
        if os.path.exists(cache):
            with open(cache) as f:
                found = re.search(r"^TRELK_SANITIZE:STRING=(.*)$", f.read(), re.MULTILINE)
            return found.group(1) if found else ""
        directory = os.path.dirname(directory)
    return ""


def sanitizer_options(executable):
    """The sanitizer options for a run of executable: those above when it was
    built with the address sanitizer, nothing otherwise. Options already in
    the environment are kept."""
    if sanitizer(executable) != "address":
        return {}
    return {name: value for name, value in ADDRESS_SANITIZER_OPTIONS.items() if name not in os.environ}


def exit_limit(executable, seconds):
    """How long a run of executable may take to end after Escape or a close
    request: `seconds` for a plain build. A sanitizer build is there to check
    memory and threads, not speed: its checks (the leak check at exit among
    them) make every step several times slower, and more so on a busy
    machine, so there the limit only tells a hang from a slow exit."""
    return seconds * 3 if sanitizer(executable) else seconds


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(condition, timeout, interval=0.05):
    """Polls condition until it holds or timeout seconds pass; its last answer."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if condition():
            return True
        time.sleep(interval)
    return condition()


def check(condition, message):
    if not condition:
        fail(message)
    print("ok: " + message)


def xprop(server, *arguments):
    return subprocess.run(["xprop"] + list(arguments), env=server.env(), capture_output=True,
                          text=True).stdout.strip()


def net_wm_state(server, window):
    return xprop(server, "-id", window, "_NET_WM_STATE")


def start_window_manager(server, log):
    """Openbox, once it has announced itself on the root window (EWMH). A
    server that has just started can refuse its first connection: try again."""
    if shutil.which("openbox") is None:
        fail("openbox is not installed (scripts/install-deps.sh installs it)")
    for _ in range(3):
        manager = subprocess.Popen(["openbox", "--sm-disable"], env=server.env(), stdout=log,
                                   stderr=subprocess.STDOUT)
        if wait_for(lambda: manager.poll() is not None
                    or "window id" in xprop(server, "-root", "_NET_SUPPORTING_WM_CHECK"), 10.0) \
                and manager.poll() is None:
            print("ok: Openbox manages the screen")
            return manager
        manager.kill()
        manager.wait()
    fail("Openbox did not start (see openbox.txt)")


class XDisplay:
    """An X server by its display name: what the tests do on it."""

    def __init__(self, display):
        self.display = display

    def accepts_clients(self, timeout=10.0):
        """The socket can exist a moment before the server answers on it."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            probe = subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env(), capture_output=True)
            if probe.returncode == 0:
                return True
            time.sleep(0.05)
        return False

    def env(self, **extra):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        env.update(extra)
        return env

    def xdotool(self, *arguments):
        result = subprocess.run(["xdotool"] + list(arguments), env=self.env(), capture_output=True, text=True)
        return result.stdout.strip()

    def screenshot(self, path, window=None):
        target = ["-id", window] if window else ["-root"]
        subprocess.run(["xwd"] + target + ["-silent", "-out", path], env=self.env(), check=True)
        return Image.from_xwd(path)

    def picture_shot(self, path, layout, window=None):
        """The picture's rectangle of a screenshot, brought down to 640 x 480."""
        target = ["-id", window] if window else ["-root"]
        subprocess.run(["xwd"] + target + ["-silent", "-out", path], env=self.env(), check=True)
        return Image.from_file(path, crop=layout, size=(640, 480))


class XServer(XDisplay):
    """Xvfb at 640 x 480 x 24 on the first free display number."""

    def __init__(self, width=640, height=480):
        # A random display number far from the usual ones, so that tests side
        # by side never meet a server that another test is shutting down.
        rng = random.Random(os.getpid() ^ int(time.time() * 1000))
        for _ in range(20):
            number = rng.randrange(200, 30000)
            socket = "/tmp/.X11-unix/X%d" % number
            if os.path.exists(socket) or os.path.exists("/tmp/.X%d-lock" % number):
                continue
            self.process = subprocess.Popen(
                ["Xvfb", ":%d" % number, "-screen", "0", "%dx%dx24" % (width, height), "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.time() + 10
            while not os.path.exists(socket) and self.process.poll() is None and time.time() < deadline:
                time.sleep(0.02)
            XDisplay.__init__(self, ":%d" % number)
            if os.path.exists(socket) and self.process.poll() is None and self.accepts_clients():
                return
            self.process.kill()
            self.process.wait()
        fail("Xvfb did not start")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()


def picture_layout(width, height):
    """Where the 4:3 picture lies on a width x height screen: (x, y, w, h)."""
    if width * 480 <= height * 640:
        w, h = width, width * 480 // 640
    else:
        w, h = height * 640 // 480, height
    return ((width - w) // 2, (height - h) // 2, w, h)


def whiteish(rgb):
    return min(rgb) >= 240


# Where the picture and the text panel lie in the 640 x 480 frame.
PICTURE_ORIGIN = (0, 74)
PANEL = (319, 110, 639, 331)
# The copies of the mesh never reach this column or right of it (over a whole
# turn of the ring they stay left of x 397): a check of the frame's still
# parts that must hold at any moment looks only there.
RING_CLEAR_X = 400


def close(a, b, tolerance=9):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def expected_background(picture, x, y):
    """White, or the picture where it lies: the frame before the copies of the
    mesh and the panel are drawn on it."""
    px, py = x - PICTURE_ORIGIN[0], y - PICTURE_ORIGIN[1]
    if 0 <= px < picture.width and 0 <= py < picture.height:
        return picture.pixel(px, py)
    return (255, 255, 255)


def ink(rgb):
    """A pixel of the text panel's ink: the font's blues, solid, laid thinly
    over white, or blurred. Never a copy of the mesh, wherever the ring is: lit
    or in shadow, its pixels hold at most as much blue as green."""
    r, g, b = rgb
    return b >= g + 12 and b >= r + 12


def ink_pixels(shot, picture, box):
    """How many pixels of box (x0, y0, x1, y1, half-open) show text."""
    return sum(1 for x, y, rgb in shot.region(*box)
               if ink(rgb) and not close(rgb, expected_background(picture, x, y), 24))


# The panel's first lines.
FIRST_LINES = (PANEL[0], PANEL[1], PANEL[2] + 1, PANEL[1] + 26)


def text_shown(server, picture, path, timeout=10.0):
    """Ink pixels in the panel's first lines once more than 100 show, or the
    last count after timeout: the lines are revealed a step per frame, and a
    loaded machine (or a sanitizer build) composes frames later."""
    counts = [0]

    def shown():
        counts.append(ink_pixels(server.screenshot(path), picture, FIRST_LINES))
        return counts[-1] > 100
    wait_for(shown, timeout, interval=0.2)
    return counts[-1]


def shows_intro(frame):
    """The picture's rectangle at 640 x 480 shows the intro: the white screen
    at the top right, the picture along the bottom edge."""
    dark = sum(1 for x in range(0, 400, 10) if not whiteish(frame.pixel(x, 470)))
    return whiteish(frame.pixel(630, 10)) and dark > 30


def side_borders(path, width, height):
    """The pixels left and right of the picture on a screenshot of a screen
    wider than 4:3, looked at an eighth of its size (black while the intro runs)."""
    x, _, w, _ = picture_layout(width, height)
    whole = Image.from_file(path, size=(width // 8, height // 8))
    columns = list(range(0, x // 8 - 1)) + list(range((x + w) // 8 + 1, width // 8))
    return [whole.pixel(px, py) for px in columns for py in range(0, height // 8, 4)]


class Weston:
    """The Weston compositor, its X11 backend in a window (or several, one per
    output) of an X server: a real Wayland desktop with a keyboard and a
    pointer that xdotool drives and a screen that xwd takes. With xwayland,
    also an X desktop: Xwayland, Weston its window manager, one RandR output
    per Weston output, side by side."""

    def __init__(self, server, work, width=1280, height=960, outputs=1, xwayland=False):
        self.server = server
        self.size = (width, height)
        self.runtime = os.path.join(work, "xdg-runtime")
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        self.socket = "trelk-%d" % os.getpid()
        log_path = os.path.join(work, "weston.txt")
        self.log = open(log_path, "w")
        self.process = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--use-pixman", "--socket=" + self.socket, "--idle-time=0",
             "--width=%d" % width, "--height=%d" % height, "--output-count=%d" % outputs]
            + (["--xwayland"] if xwayland else []),
            env=server.env(XDG_RUNTIME_DIR=self.runtime), stdout=self.log, stderr=subprocess.STDOUT)
        if not wait_for(lambda: len(self.outputs()) == outputs or self.process.poll() is not None, 15.0) \
                or self.process.poll() is not None:
            fail("Weston did not start (see weston.txt)")
        if xwayland:
            # Weston names the X display it listens on, and starts Xwayland for
            # the first client; the window manager is there once it owns the root.
            def listening():
                with open(log_path) as f:
                    return re.search(r"xserver listening on display (:\d+)", f.read())
            if not wait_for(lambda: listening() or self.process.poll() is not None, 15.0) or not listening():
                fail("Weston did not offer an X display (see weston.txt)")
            self.xwayland = XDisplay(listening().group(1))
            if not self.xwayland.accepts_clients(20.0) or not wait_for(
                    lambda: "window id" in xprop(self.xwayland, "-root", "_NET_SUPPORTING_WM_CHECK"), 15.0):
                fail("Xwayland did not start (see weston.txt)")

    def picture_of(self, output, path):
        """The picture's rectangle on one output at 640 x 480; the whole
        output's xwd file stays at path."""
        return self.server.picture_shot(path, picture_layout(*self.size), output)

    def outputs(self):
        """Weston's output windows, in the order of its screens."""
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.server.env(), capture_output=True,
                              text=True).stdout
        found = {}
        for line in tree.splitlines():
            match = re.search(r"(0x[0-9a-f]+) \"Weston Compositor - screen(\d+)\"", line)
            if match:
                found[int(match.group(2))] = match.group(1)
        return [found[number] for number in sorted(found)]

    def client_env(self, **extra):
        env = self.server.env(XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.socket, SDL_VIDEODRIVER="wayland")
        env.pop("DISPLAY", None)
        env.update(extra)
        return env

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        self.log.close()


class Intro:
    """The intro running under an X server (or a Wayland compositor: pass its
    client_env as environment), in its own working directory."""

    def __init__(self, server, intro, work, options=(), environment=None, **env):
        self.server = server
        self.work = work
        self.stdout = open(os.path.join(work, "stdout.txt"), "w")
        self.stderr_path = os.path.join(work, "stderr.txt")
        self.stderr = open(self.stderr_path, "w")
        self.started = time.time()
        env = dict(sanitizer_options(intro), **env)
        environment = dict(sanitizer_options(intro), **environment) if environment else server.env(**env)
        self.process = subprocess.Popen([intro] + list(options), cwd=work, env=environment,
                                        stdout=self.stdout, stderr=self.stderr)

    def wait_window(self, timeout=20.0):
        """The intro's visible window, once the same id has been found for half
        a second (SDL may replace the X window when it sets up rendering)."""
        deadline = time.time() + timeout
        seen, since, history = None, 0.0, []
        while time.time() < deadline:
            # By title and class: a message box carries the same title.
            named = set(self.server.xdotool("search", "--onlyvisible", "--name", "^" + TITLE + "$").split())
            found = sorted(named & set(self.server.xdotool("search", "--classname", CLASS_NAME).split()))
            current = found[-1] if found else None
            if current != seen:
                seen, since = current, time.time()
                history.append(found)
            elif current is not None and time.time() - since >= 0.5:
                return current
            if self.process.poll() is not None:
                fail("the intro ended before its window appeared (exit %d)" % self.process.returncode)
            time.sleep(0.05)
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.server.env(), capture_output=True,
                              text=True).stdout
        self.save_stacks()
        fail("no steady window titled %r within %.0f s (seen: %s; windows:\n%s)" % (TITLE, timeout, history, tree))

    def save_stacks(self):
        """Where each of the intro's threads is, for the failure report."""
        if shutil.which("gdb") and self.process.poll() is None:
            stacks = subprocess.run(["gdb", "-p", str(self.process.pid), "-batch", "-ex", "thread apply all bt"],
                                    capture_output=True, text=True).stdout
            with open(os.path.join(self.work, "hang-stacks.txt"), "w") as f:
                f.write(stacks)

    def key(self, name):
        self.server.xdotool("key", name)
        return time.time()

    def stop_with_escape(self, timeout=5.0):
        """Presses Escape; the exit code and the seconds from the key to the exit."""
        pressed = self.key("Escape")
        code, _ = self.wait_exit(timeout)
        return code, time.time() - pressed

    def wait_exit(self, timeout):
        """Exit code and seconds until the process ended; kills it after timeout."""
        start = time.time()
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.save_stacks()
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
            fail("the intro did not end within %.1f s" % timeout)
        return code, time.time() - start

    def stderr_text(self):
        self.stderr.flush()
        with open(self.stderr_path) as f:
            return f.read()

    def log_lines(self):
        path = os.path.join(self.work, "debug.log")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            return f.read().splitlines()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class Image:
    """An RGB picture with pixel access, read from an xwd dump (ZPixmap, 24/32 bits)."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_xwd(path):
        with open(path, "rb") as f:
            data = f.read()
        fields = struct.unpack(">25I", data[:100])
        header_size, width, height = fields[0], fields[4], fields[5]
        byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
        red_mask, green_mask, blue_mask, ncolors = fields[14], fields[15], fields[16], fields[19]
        if bits_per_pixel != 32:
            fail("unexpected xwd format: %d bits per pixel" % bits_per_pixel)
        offset = header_size + 12 * ncolors
        fmt = "<" if byte_order == 0 else ">"
        rgb = bytearray(width * height * 3)
        shifts = [(mask, (mask & -mask).bit_length() - 1) for mask in (red_mask, green_mask, blue_mask)]
        for y in range(height):
            row = struct.unpack_from(fmt + "%dI" % width, data, offset + y * bytes_per_line)
            base = y * width * 3
            for x, pixel in enumerate(row):
                for c, (mask, shift) in enumerate(shifts):
                    rgb[base + 3 * x + c] = (pixel & mask) >> shift
        return Image(width, height, rgb)

    @staticmethod
    def from_file(path, crop=None, size=None):
        """Any picture ImageMagick reads, as RGB; crop (x, y, w, h) first, then
        scale to size (w, h) by averaging: a large screenshot brought down to
        the frame's own 640 x 480 without decoding it here pixel by pixel."""
        command = ["convert", path + "[0]"]
        if crop:
            command += ["-crop", "%dx%d+%d+%d" % (crop[2], crop[3], crop[0], crop[1]), "+repage"]
        if size:
            command += ["-filter", "box", "-resize", "%dx%d!" % size]
        if not size:
            size = crop[2:] if crop else [int(v) for v in subprocess.run(
                ["identify", "-format", "%w %h", path + "[0]"], capture_output=True, text=True,
                check=True).stdout.split()]
        raw = subprocess.run(command + ["rgb:-"], capture_output=True, check=True).stdout
        return Image(int(size[0]), int(size[1]), bytearray(raw))

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, x0, y0, x1, y1):
        """Pixels of the half-open rectangle [x0, x1) x [y0, y1)."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                yield x, y, self.pixel(x, y)

    def save_ppm(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            f.write(bytes(self.rgb))
