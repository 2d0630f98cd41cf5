"""Helpers for the end-to-end tests: a private Xvfb, the intro process, key
presses through xdotool, and screenshots read from xwd files."""

import argparse
import os
import random
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


def sanitizer_options(executable):
    """The sanitizer options for a run of executable: those above when it was
    built with the address sanitizer (its build directory's CMakeCache.txt says
    so), nothing otherwise. Options already in the environment are kept."""
    directory = os.path.dirname(os.path.abspath(executable))
    while directory != os.path.dirname(directory):
        cache = os.path.join(directory, "CMakeCache.txt")
        if os.path.exists(cache):
            with open(cache) as f:
                if "TRELK_SANITIZE:STRING=address\n" not in f.read():
                    return {}
            return {name: value for name, value in ADDRESS_SANITIZER_OPTIONS.items() if name not in os.environ}
        directory = os.path.dirname(directory)
    return {}


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


class XServer:
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
            self.display = ":%d" % number
            if os.path.exists(socket) and self.process.poll() is None and self.accepts_clients():
                return
            self.process.kill()
            self.process.wait()
        fail("Xvfb did not start")

    def accepts_clients(self):
        """The socket can exist a moment before the server answers on it."""
        deadline = time.time() + 10
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

    def screenshot(self, path):
        subprocess.run(["xwd", "-root", "-silent", "-out", path], env=self.env(), check=True)
        return Image.from_xwd(path)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Intro:
    """The intro running under an X server, in its own working directory."""

    def __init__(self, server, intro, work, **env):
        self.server = server
        self.work = work
        self.stdout = open(os.path.join(work, "stdout.txt"), "w")
        self.stderr_path = os.path.join(work, "stderr.txt")
        self.stderr = open(self.stderr_path, "w")
        self.started = time.time()
        env = dict(sanitizer_options(intro), **env)
        self.process = subprocess.Popen([intro], cwd=work, env=server.env(**env),
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
        fail("no steady window titled %r within %.0f s (seen: %s; windows:\n%s)" % (TITLE, timeout, history, tree))

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
            if shutil.which("gdb"):
                # Where it hangs, for the failure report.
                stacks = subprocess.run(["gdb", "-p", str(self.process.pid), "-batch", "-ex", "thread apply all bt"],
                                        capture_output=True, text=True).stdout
                with open(os.path.join(self.work, "hang-stacks.txt"), "w") as f:
                    f.write(stacks)
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
    def from_file(path):
        """Any picture ImageMagick reads, as RGB."""
        size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"], capture_output=True, text=True,
                              check=True).stdout.split()
        raw = subprocess.run(["convert", path + "[0]", "rgb:-"], capture_output=True, check=True).stdout
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
