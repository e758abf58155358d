"""The real probes on the Windows versions the program targets, and on
machines that lack what the report reads: no C: drive, no browser key, an
oversized browser version."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import winetools  # noqa: E402

EXE = os.environ["PROBE_REPORT_EXE"]
PREFIX_DEFAULT_VERSION = "win7"


def report_lines():
    return winetools.run(["wine", EXE], timeout=60).stdout.split(b"\r\n")


def set_windows_version(name):
    winetools.run(["wine", "winecfg", "-v", name])


class Compatibility(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        winetools.ensure_prefix()
        winetools.set_volume_serial(0x12345678)

    def setUp(self):
        winetools.reg_add(winetools.IE_KEY, "Version", "8.0.6001.18702")
        self.addCleanup(set_windows_version, PREFIX_DEFAULT_VERSION)

    def test_windows_versions(self):
        # A manifest that names no supported OS is told Windows 8's numbers on Windows 10.
        rows = [
            ("winxp", b"Win 5.1 build 2600, Service Pack 3"),
            ("win7", b"Win 6.1 build 7601, Service Pack 1"),
            ("win10", b"Win 6.2 build 9200, "),
        ]
        for version, line in rows:
            with self.subTest(version):
                set_windows_version(version)
                lines = report_lines()
                self.assertEqual(lines[4], line)
                self.assertEqual(lines[0], b"SystemID: 76E5D4C3", "the identifier comes from C:, whatever the version")

    def test_without_drive_c_the_identifier_comes_from_the_windows_version(self):
        # GetVersion's packed value: build << 16 | minor << 8 | major.
        rows = [
            ("winxp", b"SystemID: 7AEBFF7D"),  # 0x0A280105
            ("win10", b"SystemID: 6E07FEFC"),  # 0x23F00206
        ]
        dosdevice = winetools.PREFIX / "dosdevices" / "c:"
        drive_c = winetools.PREFIX / "drive_c"
        winetools.stop_server()
        # Wine runs on with c: being the folder itself rather than a link to it,
        # but it is no longer a volume with a serial number.
        dosdevice.unlink()
        drive_c.rename(dosdevice)

        def restore():
            winetools.stop_server()
            dosdevice.rename(drive_c)
            dosdevice.symlink_to("../drive_c")
        self.addCleanup(restore)

        for version, first_line in rows:
            with self.subTest(version):
                set_windows_version(version)
                self.assertEqual(report_lines()[0], first_line)

    def test_missing_browser_key(self):
        winetools.reg_delete_key(winetools.IE_KEY)
        lines = report_lines()
        self.assertEqual(lines[3], b"IE: ")
        self.assertEqual(len(lines), 8, "every other line keeps its place")

    def test_oversized_browser_version(self):
        winetools.reg_add(winetools.IE_KEY, "Version", "9" * 2000)
        lines = report_lines()
        ie_line = lines[3]
        self.assertTrue(ie_line.startswith(b"IE: "), ie_line[:20])
        self.assertLessEqual(len(ie_line) - len(b"IE: "), 1023)
        self.assertNotIn(b"\0", ie_line)
        self.assertEqual(len(lines), 8, "the lines after it keep their places")


if __name__ == "__main__":
    unittest.main(verbosity=2)
