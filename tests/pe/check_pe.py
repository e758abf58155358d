#!/usr/bin/python3
"""Reads a built dunlo.exe back and checks what the linker and windres put in it.

Usage: /usr/bin/python3 check_pe.py DUNLO_EXE DUNLO_MANIFEST [unittest options or test names]

Only ImportTests needs the real program; the others hold for any executable
linked with res/dunlo.rc, e.g. a stub:
  check_pe.py stub.exe res/dunlo.manifest HeaderTests ResourceDirectoryTests \
      DialogTests ManifestTests VersionTests
"""

import struct
import sys
import unittest
import xml.dom.minidom

import pefile

USAGE = "usage: check_pe.py DUNLO_EXE DUNLO_MANIFEST [unittest arguments]"

EXE_PATH = None
MANIFEST_PATH = None

RT_DIALOG = 5
RT_VERSION = 16
RT_MANIFEST = 24
LANG_EN_US = 0x0409

# Every resource in the file: (type, id, language). A second manifest (some
# toolchains link a default one) or a resource in another language shows here.
EXPECTED_RESOURCES = {
    (RT_DIALOG, 101, 0x0409),
    (RT_VERSION, 1, 0x0409),
    (RT_MANIFEST, 1, 0x0409),
}

EXPECTED_DIALOG = {
    "dlgVer": 1,
    "signature": 0xFFFF,
    "helpID": 0,
    "exStyle": 0,
    "style": 0x80C80AC0,
    "cDlgItems": 3,
    "x": 0,
    "y": 0,
    "cx": 193,
    "cy": 134,
    "menu": None,
    "windowClass": None,
    "title": "Quorvane Diagnostic Tool",
    "pointsize": 8,
    "weight": 0,
    "italic": 0,
    "charset": 0,
    "typeface": "MS Sans Serif",
}

# In creation (and tab) order. Classes are the predefined atoms (0xFFFF then
# 0x0081 EDIT / 0x0080 BUTTON) that windres writes for EDITTEXT and PUSHBUTTON;
# a CONTROL statement naming "EDIT" would put the string there instead.
EXPECTED_ITEMS = [
    # id,  class,  title,   x,   y,  cx,  cy, style
    (1000, 0x0081, "",        7,   7, 179, 103, 0x50A108C4),
    (1,    0x0080, "Close", 136, 113,  50,  14, 0x50010000),
    (1001, 0x0080, "Copy",   86, 113,  50,  14, 0x50010000),
]

EXPECTED_MANIFEST = (
    b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
    b'<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">\r\n'
    b'  <assemblyIdentity version="1.0.0.0" processorArchitecture="X86" name="HTTP" type="win32"/>\r\n'
    b'  <description>Quorvane Diagnostic Tool</description>\r\n'
    b'  <dependency>\r\n'
    b'    <dependentAssembly>\r\n'
    b'      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls"'
    b' version="6.0.0.0" processorArchitecture="X86" publicKeyToken="6595b64144ccf1df"'
    b' language="*"/>\r\n'
    b'    </dependentAssembly>\r\n'
    b'  </dependency>\r\n'
    b'  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">\r\n'
    b'    <security>\r\n'
    b'      <requestedPrivileges>\r\n'
    b'        <requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>\r\n'
    b'      </requestedPrivileges>\r\n'
    b'    </security>\r\n'
    b'  </trustInfo>\r\n'
    b'</assembly>'
)

EXPECTED_FIXED_VERSION = {
    "Signature": 0xFEEF04BD,
    "FileVersionMS": 0x00010000,
    "FileVersionLS": 0x00000001,
    "ProductVersionMS": 0x00010000,
    "ProductVersionLS": 0x00000001,
    "FileFlagsMask": 0x3F,
    "FileFlags": 0,
    "FileOS": 0x4,
    "FileType": 0x1,
    "FileSubtype": 0,
    "FileDateMS": 0,
    "FileDateLS": 0,
}

EXPECTED_VERSION_STRINGS = [
    ("Comments", "Quorvane Diagnostic Tool"),
    ("CompanyName", "Quorvane Tools Team"),
    ("FileDescription", "Quorvane Diagnostic Tool"),
    ("FileVersion", "1, 0, 0, 1"),
    ("InternalName", "dunlo"),
    ("LegalCopyright", "Copyright (C) 2026 Quorvane Tools Team"),
    ("OriginalFilename", "dunlo.exe"),
    ("ProductName", "Quorvane Diagnostic Tool"),
    ("ProductVersion", "1, 0, 0, 1"),
]

# System DLLs only. Windows maps each from its own directory whatever folder
# the program starts in (they are KnownDLLs), so none can be planted beside it.
ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "ws2_32.dll", "msvcrt.dll"}

# The ANSI calls the program is built on, by DLL.
REQUIRED_IMPORTS = {
    "user32.dll": ["DialogBoxParamA", "EndDialog", "SetDlgItemTextA", "SendDlgItemMessageA"],
    "kernel32.dll": ["GetVolumeInformationA", "GetVersion", "GlobalMemoryStatus",
                     "GetDiskFreeSpaceExA", "GetVersionExA", "GlobalAlloc", "GlobalFree"],
    "advapi32.dll": ["RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey"],
    "ws2_32.dll": ["WSAStartup", "WSACleanup", "WSCEnumProtocols"],
}

# Wide forms of calls the program or its runtime could plausibly reach for; the
# program is ANSI throughout, so any of these means a UNICODE build or a stray W
# call. (WSCEnumProtocols has no ANSI form and is expected.)
WIDE_FORMS = {
    # USER32
    "DialogBoxParamW", "DialogBoxIndirectParamW", "CreateDialogParamW",
    "SetDlgItemTextW", "GetDlgItemTextW", "SendDlgItemMessageW", "SendMessageW",
    "PostMessageW", "DefWindowProcW", "DefDlgProcW", "SetWindowTextW",
    "GetWindowTextW", "MessageBoxW", "LoadStringW", "LoadIconW", "LoadCursorW",
    "CharUpperW", "CharLowerW", "wsprintfW", "wvsprintfW",
    # KERNEL32
    "GetVolumeInformationW", "GetDiskFreeSpaceExW", "GetDiskFreeSpaceW",
    "GetVersionExW", "GetModuleHandleW", "GetModuleFileNameW", "LoadLibraryW",
    "LoadLibraryExW", "GetStartupInfoW", "GetCommandLineW", "OutputDebugStringW",
    "FormatMessageW", "GetComputerNameW", "GetSystemDirectoryW",
    "GetWindowsDirectoryW", "GetEnvironmentVariableW", "CreateFileW",
    "lstrlenW", "lstrcpyW", "lstrcpynW", "lstrcatW",
    # ADVAPI32
    "RegOpenKeyExW", "RegOpenKeyW", "RegQueryValueExW", "RegQueryValueW",
    "RegEnumKeyExW", "RegEnumValueW",
    # WS2_32
    "WSAEnumProtocolsW", "WSASocketW", "WSAAddressToStringW",
}


HEX_FIELDS = {"signature", "style", "exStyle"}


def show(field, value):
    return f"0x{value:08X}" if field in HEX_FIELDS and isinstance(value, int) else repr(value)


def first_difference(got, want):
    at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
    return (f"first difference at byte {at} (lengths {len(got)} and {len(want)}): "
            f"got {got[at:at + 24]!r}, want {want[at:at + 24]!r}")


def load_pe():
    return pefile.PE(EXE_PATH)


def resource_leaves(pe):
    """Every (type, id, language) -> data entry; names given as strings keep them."""
    leaves = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return leaves
    for rtype in root.entries:
        type_key = rtype.id if rtype.name is None else str(rtype.name)
        for rname in rtype.directory.entries:
            name_key = rname.id if rname.name is None else str(rname.name)
            for rlang in rname.directory.entries:
                leaves[(type_key, name_key, rlang.id)] = rlang.data.struct
    return leaves


def resource_bytes(pe, rtype, rid, lang):
    leaves = resource_leaves(pe)
    entry = leaves.get((rtype, rid, lang))
    if entry is None:
        raise AssertionError(f"no resource type {rtype} id {rid} language 0x{lang:04x}; "
                             f"present: {sorted(leaves, key=str)}")
    return pe.get_data(entry.OffsetToData, entry.Size)


class TemplateReader:
    """Walks a dialog template; alignment is relative to the template start."""

    def __init__(self, data):
        self.data = data
        self.pos = 0

    def _unpack(self, fmt):
        size = struct.calcsize(fmt)
        if self.pos + size > len(self.data):
            raise ValueError(f"template ends at byte {len(self.data)}, "
                             f"reading {size} more at {self.pos}")
        value = struct.unpack_from(fmt, self.data, self.pos)[0]
        self.pos += size
        return value

    def byte(self):
        return self._unpack("<B")

    def word(self):
        return self._unpack("<H")

    def short(self):
        return self._unpack("<h")

    def dword(self):
        return self._unpack("<I")

    def string(self):
        chars = []
        while True:
            c = self.word()
            if c == 0:
                return "".join(chars)
            chars.append(chr(c))

    def sz_or_ord(self):
        """None for 0x0000, the ordinal after 0xFFFF, else the string."""
        first = self.word()
        if first == 0:
            return None
        if first == 0xFFFF:
            return self.word()
        self.pos -= 2
        return self.string()

    def align(self):
        self.pos = (self.pos + 3) & ~3


def decode_dialogex(data):
    r = TemplateReader(data)
    header = {}
    header["dlgVer"] = r.word()
    header["signature"] = r.word()
    header["helpID"] = r.dword()
    header["exStyle"] = r.dword()
    header["style"] = r.dword()
    header["cDlgItems"] = r.word()
    header["x"] = r.short()
    header["y"] = r.short()
    header["cx"] = r.short()
    header["cy"] = r.short()
    header["menu"] = r.sz_or_ord()
    header["windowClass"] = r.sz_or_ord()
    header["title"] = r.string()
    DS_SETFONT = 0x40
    if header["style"] & DS_SETFONT:
        header["pointsize"] = r.word()
        header["weight"] = r.word()
        header["italic"] = r.byte()
        header["charset"] = r.byte()
        header["typeface"] = r.string()

    items = []
    for _ in range(header["cDlgItems"]):
        r.align()
        item = {}
        item["helpID"] = r.dword()
        item["exStyle"] = r.dword()
        item["style"] = r.dword()
        item["x"] = r.short()
        item["y"] = r.short()
        item["cx"] = r.short()
        item["cy"] = r.short()
        item["id"] = r.dword()
        item["windowClass"] = r.sz_or_ord()
        # A lone 0 word is an empty title.
        title = r.sz_or_ord()
        item["title"] = "" if title is None else title
        item["extraCount"] = r.word()
        r.pos += item["extraCount"]
        items.append(item)
    return header, items, r.pos


class HeaderTests(unittest.TestCase):
    def test_32_bit_gui_program_for_i386(self):
        pe = load_pe()
        self.assertEqual(pe.FILE_HEADER.Machine, 0x14C, "machine is not i386")
        self.assertEqual(pe.OPTIONAL_HEADER.Magic, 0x10B, "optional header is not PE32")
        self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, 2, "subsystem is not Windows GUI")


class ResourceDirectoryTests(unittest.TestCase):
    def test_exactly_the_expected_resources_all_us_english(self):
        self.assertEqual(set(resource_leaves(load_pe())), EXPECTED_RESOURCES)


class DialogTests(unittest.TestCase):
    longMessage = False

    @classmethod
    def setUpClass(cls):
        cls.data = resource_bytes(load_pe(), RT_DIALOG, 101, LANG_EN_US)
        cls.header, cls.items, cls.end = decode_dialogex(cls.data)

    def test_template_header(self):
        for field, expected in EXPECTED_DIALOG.items():
            with self.subTest(field=field):
                self.assertIn(field, self.header, f"dialog header has no {field}")
                got = self.header[field]
                self.assertEqual(got, expected, f"dialog {field}: got {show(field, got)}, "
                                                f"want {show(field, expected)}")

    def test_items_in_creation_order(self):
        self.assertEqual(len(self.items), len(EXPECTED_ITEMS), "number of controls")
        for index, (ident, atom, title, x, y, cx, cy, style) in enumerate(EXPECTED_ITEMS):
            expected = {"helpID": 0, "exStyle": 0, "style": style, "x": x, "y": y,
                        "cx": cx, "cy": cy, "id": ident, "windowClass": atom,
                        "title": title, "extraCount": 0}
            for field, value in expected.items():
                with self.subTest(control=index, id=ident, field=field):
                    got = self.items[index][field]
                    self.assertEqual(got, value, f"control #{index} (id {ident}) {field}: "
                                                 f"got {show(field, got)}, want {show(field, value)}")

    def test_nothing_after_the_last_control(self):
        # Trailing bytes would mean a field was read at the wrong width.
        self.assertLessEqual(len(self.data) - self.end, 3,
                             f"{len(self.data) - self.end} bytes left after the last control")


class ManifestTests(unittest.TestCase):
    longMessage = False

    @classmethod
    def setUpClass(cls):
        cls.data = resource_bytes(load_pe(), RT_MANIFEST, 1, LANG_EN_US)

    def test_resource_is_the_expected_bytes(self):
        self.assertEqual(self.data, EXPECTED_MANIFEST,
                         first_difference(self.data, EXPECTED_MANIFEST))

    def test_resource_is_the_source_file_unchanged(self):
        # Catches a CR LF conversion on checkout as well as a stale build.
        with open(MANIFEST_PATH, "rb") as f:
            source = f.read()
        self.assertEqual(self.data, source, f"resource differs from {MANIFEST_PATH}, "
                                            f"{first_difference(self.data, source)}")

    def test_expected_bytes_are_well_formed_xml(self):
        # The loader refuses to start a program whose manifest does not parse.
        document = xml.dom.minidom.parseString(EXPECTED_MANIFEST)
        self.assertEqual(document.documentElement.tagName, "assembly")


class VersionTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = load_pe()
        # Only to prove the block pefile parsed is the id 1 US English one.
        resource_bytes(cls.pe, RT_VERSION, 1, LANG_EN_US)

    def test_one_version_block(self):
        self.assertEqual(len(getattr(self.pe, "VS_FIXEDFILEINFO", [])), 1)
        self.assertEqual(len(getattr(self.pe, "FileInfo", [])), 1)

    def test_fixed_part(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        for field, expected in EXPECTED_FIXED_VERSION.items():
            with self.subTest(field=field):
                self.assertEqual(getattr(fixed, field), expected,
                                 f"{field} is 0x{getattr(fixed, field):X}")

    def _blocks(self, key):
        return [b for b in self.pe.FileInfo[0] if b.Key == key]

    def test_string_table(self):
        blocks = self._blocks(b"StringFileInfo")
        self.assertEqual(len(blocks), 1, "StringFileInfo blocks")
        tables = blocks[0].StringTable
        self.assertEqual([t.LangID for t in tables], [b"040904b0"])
        entries = [(k.decode("utf-8"), v.decode("utf-8")) for k, v in tables[0].entries.items()]
        self.assertEqual(entries, EXPECTED_VERSION_STRINGS)

    def test_translation(self):
        blocks = self._blocks(b"VarFileInfo")
        self.assertEqual(len(blocks), 1, "VarFileInfo blocks")
        variables = blocks[0].Var
        self.assertEqual([list(v.entry) for v in variables], [[b"Translation"]])
        # pefile keeps only the last language/code page pair, so check there is one.
        self.assertEqual(variables[0].ValueLength, 4, "Translation holds more than one pair")
        pair = [int(word, 16) for word in variables[0].entry[b"Translation"].split()]
        self.assertEqual(pair, [0x0409, 0x04B0])


class ImportTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        pe = load_pe()
        cls.imports = {}
        for descriptor in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
            names = cls.imports.setdefault(descriptor.dll.decode("ascii").lower(), set())
            for symbol in descriptor.imports:
                # pefile names WS2_32 ordinal imports from its own table; mingw's
                # import library imports them by name anyway.
                if symbol.name is not None:
                    names.add(symbol.name.decode("ascii"))
                else:
                    names.add(f"#{symbol.ordinal}")

    def test_only_the_expected_dlls(self):
        unexpected = sorted(set(self.imports) - ALLOWED_DLLS)
        self.assertEqual(unexpected, [], "imports from unexpected DLLs")

    def test_ansi_calls_present(self):
        for dll, names in REQUIRED_IMPORTS.items():
            with self.subTest(dll=dll):
                missing = [name for name in names if name not in self.imports.get(dll, set())]
                self.assertEqual(missing, [], f"not imported from {dll}")

    def _imported(self):
        return {(dll, name) for dll, names in self.imports.items() for name in names}

    def test_no_wide_calls(self):
        wide = sorted((dll, name) for dll, name in self._imported() if name in WIDE_FORMS)
        self.assertEqual(wide, [], "wide calls imported")

    def test_no_call_in_both_forms(self):
        # Catches a wide form missing from the list, as long as its ANSI twin is used too.
        imported = self._imported()
        mixed = sorted((dll, name) for dll, name in imported
                       if name.endswith("W") and (dll, name[:-1] + "A") in imported)
        self.assertEqual(mixed, [], "both ANSI and wide forms imported")


IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
IMAGE_DLLCHARACTERISTICS_NX_COMPAT = 0x0100
IMAGE_DLLCHARACTERISTICS_NO_SEH = 0x0400
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
IMAGE_SCN_MEM_EXECUTE = 0x20000000
IMAGE_SCN_MEM_WRITE = 0x80000000
MAX_SIZE = 64 * 1024


class HardeningTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = load_pe()
        with open(EXE_PATH, "rb") as exe:
            cls.bytes = exe.read()

    def test_aslr_dep_and_no_seh(self):
        flags = self.pe.OPTIONAL_HEADER.DllCharacteristics
        for name, bit in [("DYNAMIC_BASE", IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE),
                          ("NX_COMPAT", IMAGE_DLLCHARACTERISTICS_NX_COMPAT),
                          ("NO_SEH", IMAGE_DLLCHARACTERISTICS_NO_SEH)]:
            self.assertTrue(flags & bit, f"{name} not set in DllCharacteristics 0x{flags:04X}")
        # Without relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
        self.assertFalse(self.pe.FILE_HEADER.Characteristics & IMAGE_FILE_RELOCS_STRIPPED, "relocations stripped")
        self.assertTrue(getattr(self.pe, "DIRECTORY_ENTRY_BASERELOC", None), "no base relocations")

    def test_stack_protection_linked_in(self):
        # The stack protector's failure handler comes in only when code uses the canary.
        self.assertTrue(b"stack smashing detected" in self.bytes, "no stack protector in the program")

    def test_no_section_writable_and_executable(self):
        for section in self.pe.sections:
            name = section.Name.rstrip(b"\0").decode("ascii", "replace")
            both = IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_EXECUTE
            self.assertNotEqual(section.Characteristics & both, both, f"section {name} is writable and executable")

    def test_windows_xp_loader_accepts_it(self):
        header = self.pe.OPTIONAL_HEADER
        version = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
        self.assertLessEqual(version, (5, 1), f"subsystem version {version[0]}.{version[1]:02d}")

    def test_no_delay_loaded_imports(self):
        # Delay-loaded DLLs are searched for at the first call, the program's folder included.
        self.assertFalse(hasattr(self.pe, "DIRECTORY_ENTRY_DELAY_IMPORT"), "delay-loaded imports")

    def test_reproducible_header(self):
        # No time stamp anywhere a build could put one.
        self.assertEqual(self.pe.FILE_HEADER.TimeDateStamp, 0, "PE header time stamp")
        self.assertFalse(hasattr(self.pe, "DIRECTORY_ENTRY_DEBUG"), "debug directory (it carries a time stamp)")
        self.assertEqual(self.pe.DIRECTORY_ENTRY_RESOURCE.struct.TimeDateStamp, 0, "resource directory time stamp")

    def test_size(self):
        self.assertLessEqual(len(self.bytes), MAX_SIZE, f"dunlo.exe is {len(self.bytes)} bytes")


def main():
    global EXE_PATH, MANIFEST_PATH
    if len(sys.argv) < 3:
        sys.exit(USAGE)
    EXE_PATH, MANIFEST_PATH = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)


if __name__ == "__main__":
    main()
