"""The real probes on Wine: the report of a prefix whose values the test sets."""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import winetools  # noqa: E402

EXE = os.environ["PROBE_REPORT_EXE"]


def probe_report():
    return winetools.run(["wine", EXE], timeout=60).stdout


class ProbeReportOnWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        winetools.ensure_prefix()
        winetools.set_volume_serial(0xC0FFEE42)
        winetools.reg_add(winetools.IE_KEY, "Version", "8.0.6001.18702")
        cls.report = probe_report()
        cls.lines = cls.report.split(b"\r\n")

    def test_layout_and_values_set_from_outside(self):
        self.assertTrue(self.report.endswith(b"\r\n"), self.report)
        self.assertNotIn(b"\n", self.report.replace(b"\r\n", b""), "bare line feed in the report")
        # Wine's catalogue has no layered entries: the list is empty.
        self.assertEqual(self.lines[0:4], [b"SystemID: 1F8008DE", b"", b"", b"IE: 8.0.6001.18702"])
        self.assertEqual(len(self.lines), 8, self.report)  # seven lines and the final CR LF

    def test_windows_line_matches_the_prefix(self):
        self.assertEqual(self.lines[4].decode("latin-1"), winetools.windows_line())

    def test_winsock_and_memory_lines(self):
        self.assertRegex(self.lines[5].decode("latin-1"), r"^WinSock: 0x0101, 0x0202, \S.*, \S.*$")
        match = re.fullmatch(rb"RAM (\d+)Mb/(\d+)Mb, HDD (\d+)Mb/(\d+)Mb", self.lines[6])
        self.assertIsNotNone(match, self.lines[6])
        avail, total, free, disk = map(int, match.groups())
        self.assertGreater(total, 0)
        self.assertLessEqual(avail, total)
        self.assertGreater(disk, 0)
        self.assertLessEqual(free, disk)


if __name__ == "__main__":
    unittest.main(verbosity=2)
