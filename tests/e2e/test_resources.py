"""The resources of the Windows exe, read from the built file: the version Explorer shows
under Properties, Details, and the application manifest.

    python3 tests/e2e/test_resources.py --program build/windows/chaptersort.exe --version 1.0.0
"""

import argparse
import os
import struct
import sys
import unittest
import xml.etree.ElementTree as ElementTree

PROGRAM = None
VERSION = None
LICENSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "LICENSE")

RT_VERSION = 16
RT_MANIFEST = 24
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    WINDOWS_10,  # and 11
}
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
WINDOWS_SETTINGS = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"


def resources(path):
    """{(type id, name id): data} of every resource with numeric ids in the PE file."""
    with open(path, "rb") as handle:
        image = handle.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    assert image[pe:pe + 4] == b"PE\0\0", "not a PE file"
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    table = pe + 24 + optional_size
    for k in range(sections):
        name, _, address, _, raw = struct.unpack_from("<8sIIII", image, table + 40 * k)
        if name.rstrip(b"\0") == b".rsrc":
            break
    else:
        raise AssertionError("no .rsrc section")

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", image, raw + offset + 12)
        for e in range(named + numbered):
            ident, target = struct.unpack_from("<II", image, raw + offset + 16 + 8 * e)
            yield ident, target

    found = {}
    for kind, names in entries(0):
        for name, languages in entries(names & 0x7FFFFFFF):
            for _, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, raw + leaf)
                start = raw + rva - address
                found[(kind, name)] = image[start:start + size]
    return found


def version_node(block, offset=0):
    """(key, value bytes, children, length) of the VS_VERSIONINFO node at offset: three
    words (length, value length, type), the key up to its NUL, the value and the children,
    each of these starting on a 32-bit boundary."""
    length, value_length, kind = struct.unpack_from("<HHH", block, offset)
    key_end = offset + 6
    while block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = block[offset + 6:key_end].decode("utf-16-le")
    start = (key_end + 2 + 3) & ~3
    size = value_length * 2 if kind == 1 else value_length
    children = []
    child = (start + size + 3) & ~3
    while child < offset + length:
        children.append(version_node(block, child))
        child = (child + children[-1][3] + 3) & ~3
    return key, block[start:start + size], children, length


def version_strings(root):
    """{key: value} of the first string table of StringFileInfo."""
    string_file_info = next(node for node in root[2] if node[0] == "StringFileInfo")
    table = string_file_info[2][0]
    return {key: value.decode("utf-16-le").split("\0")[0] for key, value, _, _ in table[2]}


class Resources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.found = resources(PROGRAM)

    def test_version_says_what_the_program_is(self):
        root = version_node(self.found[(RT_VERSION, 1)])
        self.assertEqual(root[0], "VS_VERSION_INFO")
        signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", root[1])
        self.assertEqual(signature, 0xFEEF04BD)
        major, minor, patch = (int(part) for part in VERSION.split("."))
        self.assertEqual((file_ms, file_ls), (major << 16 | minor, patch << 16))
        self.assertEqual((product_ms, product_ls), (major << 16 | minor, patch << 16))
        with open(LICENSE) as handle:
            copyright_line = next(line.strip() for line in handle if line.startswith("Copyright "))
        strings = version_strings(root)
        self.assertEqual(strings["ProductName"], "chaptersort")
        self.assertEqual(strings["FileVersion"], VERSION)
        self.assertEqual(strings["ProductVersion"], VERSION)
        self.assertEqual(strings["OriginalFilename"], "chaptersort.exe")
        self.assertEqual(strings["InternalName"], "chaptersort")
        self.assertEqual(strings["LegalCopyright"], copyright_line)
        self.assertIn("chapter files", strings["FileDescription"])

    def test_manifest_runs_as_invoker_with_long_paths(self):
        manifest = ElementTree.fromstring(self.found[(RT_MANIFEST, 1)])
        level = manifest.find(".//%srequestedExecutionLevel" % ASM_V3)
        self.assertEqual(level.get("level"), "asInvoker")
        self.assertEqual(manifest.find(".//%slongPathAware" % WINDOWS_SETTINGS).text, "true")
        systems = {os_entry.get("Id") for os_entry in manifest.iter(COMPATIBILITY + "supportedOS")}
        self.assertEqual(systems, SUPPORTED_OS)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--version", required=True)
    known, rest = parser.parse_known_args()
    PROGRAM, VERSION = known.program, known.version
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
