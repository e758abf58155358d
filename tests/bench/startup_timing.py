"""Start-up time of dunlo.exe against the bare dialog, under Wine in Xvfb:
from starting `wine X.exe` to its dialog being mapped on the X display,
over alternating runs with a warm wineserver. Then the per-probe timings
from probe_timing.exe in the same prefix.

    /usr/bin/python3 startup_timing.py --bin build/bench-win [--runs 10] [--probe-runs 20] [--watch events]

The Wine prefix is the bench build folder's own (wineprefix in it).

The dialog is seen by the X server's map notification (--watch events, the
default: well under a millisecond late) or by polling `xdotool search` every
10 ms (--watch xdotool: each sample then lands on a poll, some 15 ms apart, and
two programs that differ by a few milliseconds can come out a whole poll
apart)."""

import argparse
import ctypes
import os
import select
import statistics
import subprocess
import sys
import time

TITLE = "Quorvane Diagnostic Tool"
POLL_SECONDS = 0.01
WATCHDOG_SECONDS = 30


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", required=True, help="the Windows bench build folder")
    parser.add_argument("--runs", type=int, default=10, help="timed starts of each program (at least 10)")
    parser.add_argument("--probe-runs", type=int, default=20, help="runs per probe in probe_timing.exe")
    parser.add_argument("--watch", choices=("events", "xdotool"), default="events",
                        help="how the dialog is seen to appear")
    args = parser.parse_args()
    if args.runs < 10:
        parser.error("--runs must be at least 10")
    return args


ARGS = parse_args()
BIN = os.path.abspath(ARGS.bin)
# winetools reads the prefix when imported.
os.environ["QUORVANE_WINEPREFIX"] = os.path.join(BIN, "wineprefix")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
import winetools  # noqa: E402


def exe(name):
    path = os.path.join(BIN, name)
    if not os.path.isfile(path):
        sys.exit("error: %s is not built" % path)
    return path


def dialog_visible(display):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE],
                           env=dict(os.environ, DISPLAY=display), stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=10)
    return bool(found.stdout.split())


def wait_visible(display, visible):
    deadline = time.monotonic() + WATCHDOG_SECONDS
    while time.monotonic() < deadline:
        if dialog_visible(display) == visible:
            return True
        time.sleep(POLL_SECONDS)
    return False


class XPoller:
    """Sees the dialog by polling xdotool; the time is taken when a poll finds it."""

    def __init__(self, display):
        self.display = display

    def arm(self):
        pass

    def wait_shown(self):
        return time.perf_counter() if wait_visible(self.display, True) else None


class XMapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", XMapEvent), ("pad", ctypes.c_long * 24)]


MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class XMapWatcher:
    """Sees the dialog by the X server's MapNotify on the root window, through
    libX11 (xdotool's own library), so each sample is taken when the event
    arrives rather than at the next poll. Without a window manager Wine maps
    its top-level windows straight onto the root."""

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_void_p)]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        # A window can be gone by the time its name is asked for; the default
        # handler would end this process on that BadWindow.
        self.on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        self.x.XSetErrorHandler(self.on_error)

        self.dpy = self.x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display %s" % display)
        self.x.XSelectInput(self.dpy, self.x.XDefaultRootWindow(self.dpy), SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XSync(self.dpy, 0)
        self.fd = self.x.XConnectionNumber(self.dpy)
        self.display = display

    def name(self, window):
        text = ctypes.c_void_p()
        if not self.x.XFetchName(self.dpy, window, ctypes.byref(text)) or not text.value:
            return None
        value = ctypes.string_at(text.value).decode("latin-1")
        self.x.XFree(text)
        return value

    def drain(self):
        """The windows mapped since the last call, each with its arrival time."""
        mapped = []
        event = XEvent()
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, ctypes.byref(event))
            if event.type == MAP_NOTIFY:
                mapped.append((event.xmap.window, time.perf_counter()))
        return mapped

    def arm(self):
        self.drain()  # what earlier runs left in the queue is not this run's

    def wait_shown(self):
        deadline = time.monotonic() + WATCHDOG_SECONDS
        pending = []  # mapped, but not (yet) with the dialog's title
        while time.monotonic() < deadline:
            readable, _, _ = select.select([self.fd], [], [], 0.05)
            arrivals = self.drain() if readable else []
            for window, at in pending + arrivals:
                if self.name(window) == TITLE:
                    # Confirm with xdotool, as the tests see it; not timed.
                    return at if wait_visible(self.display, True) else None
            pending += arrivals
        return None

    def close(self):
        self.x.XCloseDisplay(self.dpy)


class Starter:
    def __init__(self, display, closer, watcher):
        self.display = display
        self.closer = closer
        self.watcher = watcher
        self.env = winetools.wine_env()

    def start_once(self, program):
        """Seconds from starting the program to its dialog on screen; the
        dialog is then closed and the program waited for. The close takes
        about 2 s, untimed: Wine waits that long for a window manager to
        confirm the hidden dialog, and Xvfb has none."""
        if not wait_visible(self.display, False):
            sys.exit("error: a dialog from an earlier run is still on screen")
        self.watcher.arm()
        start = time.perf_counter()
        process = subprocess.Popen(["wine", program], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            shown = self.watcher.wait_shown()
            if shown is None:
                sys.exit("error: the dialog of %s did not appear" % os.path.basename(program))
            for command in (["close-command"], ["wait-gone", str(WATCHDOG_SECONDS)]):
                closed = winetools.run(["wine", self.closer] + command, check=False,
                                       timeout=WATCHDOG_SECONDS + 15, env=self.env)
                if closed.returncode != 0:
                    break
            if closed.returncode != 0:
                sys.exit("error: the dialog of %s could not be closed" % os.path.basename(program))
            code = process.wait(timeout=WATCHDOG_SECONDS)
            if code != 0:
                sys.exit("error: %s ended with %d" % (os.path.basename(program), code))
            return shown - start
        finally:
            if process.poll() is None:  # never leave a dialog behind
                process.kill()
                process.wait(timeout=10)


def ms(seconds):
    return "%.1f" % (seconds * 1000)


def main():
    dunlo, bare = exe("dunlo.exe"), exe("bare_dialog.exe")
    closer, probe_timing = exe("dialog_driver.exe"), exe("probe_timing.exe")

    with winetools.Xvfb() as xvfb:
        # Every Wine program must see this display, the server's first one
        # included, or the desktop comes up without it and no window shows.
        os.environ["DISPLAY"] = xvfb.display
        winetools.stop_server()
        watcher = XMapWatcher(xvfb.display) if ARGS.watch == "events" else XPoller(xvfb.display)
        try:
            if not (winetools.PREFIX / "system.reg").exists():
                print("preparing the Wine prefix %s (once per build folder)" % winetools.PREFIX, flush=True)
            winetools.ensure_prefix()
            # Keep one server, and the desktop it starts, for the whole run:
            # an idle server exits after a few seconds and the next start
            # would pay for a new one.
            subprocess.run(["wineserver", "-p"], env=winetools.wine_env(), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30, check=False)

            starter = Starter(xvfb.display, closer, watcher)
            print("warm-up: one untimed start of each", flush=True)
            starter.start_once(dunlo)
            starter.start_once(bare)

            samples = {dunlo: [], bare: []}
            for round_ in range(ARGS.runs):
                # Alternate which goes first, so neither always follows the other.
                order = (dunlo, bare) if round_ % 2 == 0 else (bare, dunlo)
                for program in order:
                    samples[program].append(starter.start_once(program))

            dunlo_median = statistics.median(samples[dunlo])
            bare_median = statistics.median(samples[bare])
            seen_by = ("the X server's map event" if ARGS.watch == "events"
                       else "xdotool polled every %g ms" % (POLL_SECONDS * 1000))
            print()
            print("start-up to visible dialog, %d runs each, ms (seen by %s)" % (ARGS.runs, seen_by))
            print("  dunlo.exe        median %7s   samples: %s"
                  % (ms(dunlo_median), " ".join(ms(s) for s in samples[dunlo])))
            print("  bare_dialog.exe  median %7s   samples: %s"
                  % (ms(bare_median), " ".join(ms(s) for s in samples[bare])))
            print("  ratio dunlo/bare %.3f, difference %s ms"
                  % (dunlo_median / bare_median, ms(dunlo_median - bare_median)))

            print()
            print("probe_timing.exe in the same prefix:", flush=True)
            result = winetools.run(["wine", probe_timing, str(ARGS.probe_runs)], timeout=300,
                                   env=winetools.wine_env())
            sys.stdout.write(result.stdout.decode("latin-1").replace("\r\n", "\n"))
        finally:
            if isinstance(watcher, XMapWatcher):
                watcher.close()
            winetools.stop_server()


if __name__ == "__main__":
    main()
