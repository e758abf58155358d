"""The real dunlo.exe under Wine in Xvfb, used as a person would: the dialog
appears with the report, Copy puts exactly that text on the clipboard, the
commands that must not end it do not, and Close ends the program with 0,
as does a dialog that cannot be created at all."""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "wine"))
import winetools  # noqa: E402

DUNLO = os.environ["DUNLO_EXE"]
DRIVER = os.environ["DIALOG_DRIVER_EXE"]
PROBE_REPORT = os.environ["PROBE_REPORT_EXE"]

WATCHDOG_SECONDS = 30  # a dialog that does not show or does not end fails within this
MARKER = b"clipboard left alone"


class DialogEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.xvfb = winetools.Xvfb().__enter__()
        # Every Wine program of the session must see the display, or the
        # prefix's desktop starts without one and no window can show.
        os.environ["DISPLAY"] = cls.xvfb.display
        cls.env = winetools.wine_env()
        winetools.stop_server()
        winetools.ensure_prefix()
        winetools.set_volume_serial(0x13572468)
        winetools.reg_add(winetools.IE_KEY, "Version", "11.0.9600.19036")
        cls.expected = winetools.run(["wine", PROBE_REPORT], env=cls.env).stdout

    @classmethod
    def tearDownClass(cls):
        winetools.stop_server()
        cls.xvfb.__exit__(None, None, None)

    def setUp(self):
        self.program = subprocess.Popen(["wine", DUNLO], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.stop_program)
        # Wait on the X server's side until the dialog is on screen; a Wine
        # program started while another one is still bringing up the desktop
        # can stall, so the driver only runs once the dialog is there.
        window = winetools.wait_x_window(self.xvfb.display, "Quorvane Diagnostic Tool", WATCHDOG_SECONDS)
        self.assertIsNotNone(window, "the dialog did not appear")
        self.assertEqual(self.drive("is-open").returncode, 0, "Wine does not see the dialog")

    def stop_program(self):
        if self.program.poll() is None:  # the watchdog: never leave a dialog hanging
            self.program.kill()
            winetools.run(["wineserver", "-k"], check=False, env=self.env)
            self.program.wait(timeout=10)

    def drive(self, *args):
        return winetools.run(["wine", DRIVER, *args], check=False, timeout=WATCHDOG_SECONDS + 15, env=self.env)

    def text(self):
        result = self.drive("get-text")
        self.assertEqual(result.returncode, 0, "could not read the report box")
        return result.stdout

    def clipboard(self):
        return self.drive("clipboard").stdout

    def exit_code(self):
        try:
            return self.program.wait(timeout=WATCHDOG_SECONDS)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end")

    def test_report_copy_and_close(self):
        shown = self.text()
        # Every line as the probes give it for this prefix; the free memory and
        # disk may move between two runs, so that line is checked for its shape.
        shown_lines, expected_lines = shown.split(b"\r\n"), self.expected.split(b"\r\n")
        self.assertEqual(shown_lines[:6], expected_lines[:6])
        self.assertEqual(shown_lines[:3], [b"SystemID: 76546DCB", b"", b""])
        self.assertEqual(shown_lines[3], b"IE: 11.0.9600.19036")
        self.assertRegex(shown_lines[6], rb"^RAM \d+Mb/\d+Mb, HDD \d+Mb/\d+Mb$")
        self.assertEqual(shown_lines[7:], [b""])

        self.assertEqual(self.drive("set-clipboard", MARKER.decode()).returncode, 0)
        self.assertEqual(self.drive("click", "1001").returncode, 0)
        self.assertEqual(self.clipboard(), shown, "Copy must put the whole report, CR LF included, on the clipboard")
        self.assertEqual(self.drive("click", "1001").returncode, 0)
        self.assertEqual(self.clipboard(), shown, "a second Copy gives the same bytes")
        self.assertEqual(self.text(), shown, "the report never changes during a run")

        self.assertEqual(self.drive("click", "1").returncode, 0)
        self.assertEqual(self.exit_code(), 0)

    def test_commands_that_do_not_end_the_dialog(self):
        self.assertEqual(self.drive("set-clipboard", MARKER.decode()).returncode, 0)
        ignored = {
            "2": "IDCANCEL",
            "50003e9": "BN_DOUBLECLICKED from Copy",
            "60003e9": "BN_SETFOCUS from Copy",
            "50001": "BN_DOUBLECLICKED from Close",
            "70001": "BN_KILLFOCUS from Close",
            "3e8": "a click from the report box's id",
        }
        for wparam, what in ignored.items():
            with self.subTest(what):
                self.assertEqual(self.drive("command", wparam).returncode, 0)
                self.assertEqual(self.drive("is-open").returncode, 0, "the dialog closed")
                self.assertEqual(self.clipboard(), MARKER, "the clipboard changed")
        self.assertIsNone(self.program.poll())

        self.assertEqual(self.drive("close-command").returncode, 0)
        self.assertEqual(self.exit_code(), 0)


class WithoutADisplay(unittest.TestCase):
    def test_a_dialog_that_cannot_be_created_still_exits_with_0(self):
        # Without an X display Wine cannot create the dialog: DialogBoxParamA
        # returns -1, and the program must still end with 0, showing nothing.
        env = winetools.wine_env()
        env.pop("DISPLAY", None)
        winetools.ensure_prefix()
        winetools.stop_server()
        self.addCleanup(winetools.stop_server)
        result = winetools.run(["wine", DUNLO], check=False, timeout=WATCHDOG_SECONDS, env=env)
        self.assertEqual(result.returncode, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
