#!/usr/bin/env python3
"""Reads the built Sendwarden.dll and fails on any deviation from what the
mail client and its users rely on: a 32-bit DLL, the four undecorated
callbacks, system imports only, the icon group and the version block.

  check_dll.py [--machine i386|amd64] DLL

The shipped DLL is i386 (the default). The 64-bit test build is checked for
the same shape with --machine amd64."""
import argparse
import struct
import sys

EXPORTS = {"BKC_OnStart", "BKC_OnExit", "BKC_OnSend", "BKC_OnPlugInInfo"}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll"}
JAPANESE = 0x0411
VERSION_STRINGS = {
    "Comments": "",
    "CompanyName": "",
    "FileDescription": "Sendwarden (Becky Plugin)",
    "FileVersion": "0, 0, 0, 1",
    "InternalName": "Sendwarden",
    "LegalTrademarks": "",
    "OriginalFilename": "Sendwarden.DLL",
    "PrivateBuild": "",
    "ProductName": "Sendwarden ﾀﾞｲﾅﾐｯｸ ﾘﾝｸ ﾗｲﾌﾞﾗﾘ",
    "ProductVersion": "0, 0, 0, 1",
    "SpecialBuild": "",
}
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        # The data directories follow the fields whose width the format sets.
        directories = optional + (112 if self.magic == 0x20B else 96)
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            (virtual_size, virtual_address, raw_size,
             raw_pointer) = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(self, rva):
        for address, size, pointer in self.sections:
            if address <= rva < address + size:
                return pointer + rva - address
        raise ValueError("RVA %#x outside every section" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def exports(self):
        rva, _ = self.directory[0]
        base = self.offset(rva)
        count, _, names = struct.unpack_from("<III", self.data, base + 24)
        return [self.cstring(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(count)]

    def imports(self):
        rva, _ = self.directory[1]
        base, found = self.offset(rva), []
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, base)
            if not any(descriptor):
                return found
            found.append(self.cstring(descriptor[3]))
            base += 20

    def resources(self):
        """[(type, name, language, bytes)] for every resource."""
        root_rva, _ = self.directory[2]
        root = self.offset(root_rva)
        found = []

        def name_of(entry_name):
            if entry_name & 0x80000000:
                at = root + (entry_name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return entry_name

        def walk(at, path):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                entry_name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                key = path + [name_of(entry_name)]
                if target & 0x80000000:
                    walk(root + (target & 0x7FFFFFFF), key)
                else:
                    data_rva, size, _, _ = struct.unpack_from("<IIII", self.data, root + target)
                    start = self.offset(data_rva)
                    found.append((key[0], key[1], key[2], self.data[start:start + size]))

        walk(root, [])
        return found


def version_node(data, at):
    """(key, value, children, end) of one node of a version block."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    cursor = (key_end + 2 + 3) & ~3
    if kind == 1:
        value = data[cursor:cursor + 2 * value_length].decode("utf-16-le").rstrip("\0")
        cursor += 2 * value_length
    else:
        value = data[cursor:cursor + value_length]
        cursor += value_length
    children = []
    cursor = (cursor + 3) & ~3
    while cursor < end:
        child = version_node(data, cursor)
        children.append(child)
        cursor = (child[3] + 3) & ~3
    return key, value, children, end


MACHINES = {"i386": (0x14C, 0x10B, "32-bit PE for i386"),
            "amd64": (0x8664, 0x20B, "64-bit PE for x86-64")}


def check(path, machine="i386"):
    problems = []

    def expect(condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            problems.append(what)

    pe = Pe(open(path, "rb").read())
    machine_type, magic, what = MACHINES[machine]
    expect(pe.machine == machine_type and pe.magic == magic, what)
    expect(pe.characteristics & 0x2000, "DLL flag set")
    exports = pe.exports()
    expect(set(exports) == EXPORTS and len(exports) == 4,
           "exports exactly the four undecorated callbacks (%s)" % ", ".join(exports))
    imports = [name.lower() for name in pe.imports()]
    expect(imports and set(imports) <= SYSTEM_DLLS,
           "imports only system DLLs (%s)" % ", ".join(imports))

    resources = pe.resources()
    groups = [r for r in resources if r[0] == RT_GROUP_ICON]
    expect(len(groups) == 1 and groups[0][1] == "IDI_SENDWARDEN" and groups[0][2] == JAPANESE,
           "icon group IDI_SENDWARDEN in language 0x0411")
    if groups:
        group = groups[0][3]
        count = struct.unpack_from("<H", group, 4)[0]
        width, height, colours, _, _, bits = struct.unpack_from("<BBBBHH", group, 6)
        expect(count == 1 and width == 32 and height == 32 and colours == 16 and bits == 4,
               "one 32 x 32 icon with 16 colours")
    icons = [r for r in resources if r[0] == RT_ICON]
    expect(len(icons) == 1 and icons[0][2] == JAPANESE, "icon image in language 0x0411")

    versions = [r for r in resources if r[0] == RT_VERSION]
    expect(len(versions) == 1 and versions[0][2] == JAPANESE, "one version block in 0x0411")
    if not versions:
        return problems
    key, fixed, children, _ = version_node(versions[0][3], 0)
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, _, file_os, file_type,
     _, _, _) = struct.unpack_from("<13I", fixed)
    expect(key == "VS_VERSION_INFO" and signature == 0xFEEF04BD, "version block signature")
    expect((file_ms, file_ls, product_ms, product_ls) == (0, 1, 0, 1),
           "file and product version 0.0.0.1")
    expect(file_type == 2 and file_os == 4, "file type DLL for 32-bit Windows")
    blocks = {child[0]: child for child in children}
    tables = {t[0]: t for t in blocks.get("StringFileInfo", ("", "", [], 0))[2]}
    expect(list(tables) == ["041104b0"], "one string table, 041104b0")
    strings = {s[0]: s[1] for s in tables.get("041104b0", ("", "", [], 0))[2]}
    for name, value in VERSION_STRINGS.items():
        expect(strings.get(name) == value, "%s = %r (found %r)" % (name, value, strings.get(name)))
    translation = [v for v in blocks.get("VarFileInfo", ("", "", [], 0))[2]
                   if v[0] == "Translation"]
    expect(len(translation) == 1 and translation[0][1] == struct.pack("<HH", 0x0411, 0x04B0),
           "translation 0x0411, 0x04B0")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--machine", choices=sorted(MACHINES), default="i386")
    parser.add_argument("dll")
    args = parser.parse_args()
    problems = check(args.dll, args.machine)
    print("dll check: %d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
