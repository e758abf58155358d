"""Running Windows programs of this project under a 32-bit Wine prefix that
lives in the build folder, and setting up what the tests need in it."""

import os
import pathlib
import subprocess
import time

PREFIX = pathlib.Path(os.environ.get("QUORVANE_WINEPREFIX", "build/win/wineprefix")).resolve()
IE_KEY = r"HKLM\Software\Microsoft\Internet Explorer"
NT_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion"


def wine_env():
    env = dict(os.environ)
    env.update(
        WINEPREFIX=str(PREFIX),
        WINEARCH="win32",  # one registry view: nothing is redirected
        WINEDEBUG="-all",
        WINEDLLOVERRIDES="mscoree,mshtml=",  # no Mono or Gecko installer dialogs
    )
    return env


def run(args, timeout=120, check=True, **kwargs):
    return subprocess.run(args, env=kwargs.pop("env", None) or wine_env(), timeout=timeout, check=check,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kwargs)


def ensure_prefix():
    if not (PREFIX / "system.reg").exists():
        PREFIX.parent.mkdir(parents=True, exist_ok=True)
        run(["wineboot", "--init"], timeout=300)
        stop_server()


def stop_server():
    """Ends the prefix's wineserver; the next program starts a fresh one that
    reads the prefix anew (the volume serial is read once per server)."""
    run(["wineserver", "-k"], check=False)
    run(["wineserver", "-w"], check=False)


def set_volume_serial(serial):
    (PREFIX / "drive_c" / ".windows-serial").write_text("%08x\n" % serial)
    stop_server()


def reg_add(key, name, value):
    run(["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"])


def reg_delete_key(key):
    run(["wine", "reg", "delete", key, "/f"], check=False)


def reg_query(key, name):
    """The value's text as `reg query` shows it, or None."""
    result = run(["wine", "reg", "query", key, "/v", name], check=False)
    for line in result.stdout.decode("latin-1").splitlines():
        fields = line.strip().split(None, 2)
        if len(fields) == 3 and fields[0] == name:
            return fields[2]
        if len(fields) == 2 and fields[0] == name:  # an empty value
            return ""
    return None


def windows_line():
    """The report's Windows line for the prefix's current Windows version."""
    csd = reg_query(NT_KEY, "CSDVersion") or ""
    return "Win %s build %s, %s" % (reg_query(NT_KEY, "CurrentVersion"), reg_query(NT_KEY, "CurrentBuildNumber"), csd)


class Xvfb:
    """A virtual X display of our own, so the tests never touch the user's."""

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                         "-nolisten", "tcp"], pass_fds=(write_end,),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)


def wait_x_window(display, title, seconds):
    """The X window id of the top-level window `title`, once it is mapped, or None.
    Asked of the X server, not of Wine, so a Wine still starting up cannot stall it."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                               env=dict(os.environ, DISPLAY=display), stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, timeout=10)
        ids = found.stdout.split()
        if ids:
            return ids[0].decode()
        time.sleep(0.2)
    return None
