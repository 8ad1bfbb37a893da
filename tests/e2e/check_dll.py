#!/usr/bin/env python3
"""Reads the built Sendwarden.dll and fails on any deviation from what the
mail client and its users rely on: a 32-bit DLL, the four undecorated
callbacks, system imports only, the icon group and the version block; and
for the i386 DLL its calling convention: every callback's every `ret` pops
4 bytes per argument, as the mail client's __stdcall calls expect, and the
startup code calls the project's own DllMain (lose DllMain's calling
convention and the linker silently takes the runtime's default one, which
does nothing), and the unwind tables sit where the module finds them.

  check_dll.py [--machine i386|amd64] [--map MAP] DLL

The shipped DLL is i386 (the default). The 64-bit test build is checked for
the same shape with --machine amd64. The DLL carries no symbols: the link's
map (default: beside the DLL, Sendwarden.map) says where DllMain went and
from which object, and i686-w64-mingw32-objdump disassembles; each function's
extent comes from the DLL's own unwind tables."""
import argparse
import os
import re
import struct
import subprocess
import sys

from harness import Checks

EXPORTS = {"BKC_OnStart", "BKC_OnExit", "BKC_OnSend", "BKC_OnPlugInInfo"}
# Bytes of arguments each callback takes from the mail client's stack.
ARGUMENT_BYTES = {"BKC_OnStart": 0, "BKC_OnExit": 0, "BKC_OnSend": 4, "BKC_OnPlugInInfo": 4}
OBJDUMP = "i686-w64-mingw32-objdump"
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll"}
JAPANESE = 0x0411


def version_fields():
    """The version block's four numbers, from the source tree's VERSION file:
    "0.001" is 0, 0, 0, 1 (each digit after the point one field)."""
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "VERSION")) as f:
        major, minor = f.readline().strip().split(".")
    return [int(major)] + [int(digit) for digit in minor]


FIELDS = version_fields()
FIELDS_TEXT = ", ".join(str(n) for n in FIELDS)
VERSION_STRINGS = {
    "Comments": "",
    "CompanyName": "",
    "FileDescription": "Sendwarden (Becky Plugin)",
    "FileVersion": FIELDS_TEXT,
    "InternalName": "Sendwarden",
    "LegalTrademarks": "",
    "OriginalFilename": "Sendwarden.DLL",
    "PrivateBuild": "",
    "ProductName": "Sendwarden ﾀﾞｲﾅﾐｯｸ ﾘﾝｸ ﾗｲﾌﾞﾗﾘ",
    "ProductVersion": FIELDS_TEXT,
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
        self.entry = struct.unpack_from("<I", data, optional + 16)[0]
        self.image_base = (struct.unpack_from("<Q", data, optional + 24)[0] if self.magic == 0x20B
                           else struct.unpack_from("<I", data, optional + 28)[0])
        # The data directories follow the fields whose width the format sets.
        directories = optional + (112 if self.magic == 0x20B else 96)
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        self.named = {}
        table = optional + optional_size
        for i in range(sections):
            (virtual_size, virtual_address, raw_size,
             raw_pointer) = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))
            name = data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode("ascii", "replace")
            self.named[name] = (virtual_address, raw_pointer, min(virtual_size, raw_size))

    def offset(self, rva):
        for address, size, pointer in self.sections:
            if address <= rva < address + size:
                return pointer + rva - address
        raise ValueError("RVA %#x outside every section" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def exports(self):
        return list(self.export_addresses())

    def export_addresses(self):
        """{name: address once loaded at the image base}."""
        rva, _ = self.directory[0]
        base = self.offset(rva)
        _, count, functions, names, ordinals = struct.unpack_from("<IIIII", self.data, base + 20)
        found = {}
        for i in range(count):
            name = self.cstring(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
            ordinal = struct.unpack_from("<H", self.data, self.offset(ordinals) + 2 * i)[0]
            function = struct.unpack_from("<I", self.data, self.offset(functions) + 4 * ordinal)[0]
            found[name] = self.image_base + function
        return found

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


def uleb(data, at):
    value = shift = 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value, at


def sleb(data, at):
    value, end = uleb(data, at)
    bits = 7 * (end - at)
    return (value - (1 << bits) if value & (1 << (bits - 1)) else value), end


def encoded(data, at, encoding, address):
    """(value, next offset) of a pointer in the DWARF exception-header
    encoding `encoding`, the field being at `address` once loaded."""
    form, application = encoding & 0x0F, encoding & 0x70
    if form in (0x00, 0x03):
        value, end = struct.unpack_from("<I", data, at)[0], at + 4
    elif form == 0x0B:
        value, end = struct.unpack_from("<i", data, at)[0], at + 4
    elif form == 0x02:
        value, end = struct.unpack_from("<H", data, at)[0], at + 2
    elif form == 0x0A:
        value, end = struct.unpack_from("<h", data, at)[0], at + 2
    elif form == 0x01:
        value, end = uleb(data, at)
    elif form == 0x09:
        value, end = sleb(data, at)
    else:
        raise ValueError("pointer encoding %#x" % encoding)
    if application == 0x10:
        value += address
    elif application != 0:
        raise ValueError("pointer encoding %#x" % encoding)
    return value & 0xFFFFFFFF, end


def function_extents(pe):
    """[(start, end)] of every function the DLL's .eh_frame section (its
    name cut to eight characters in the image) describes."""
    rva, pointer, size = pe.named[".eh_fram"]
    data, at, end = pe.data, pointer, pointer + size
    address = lambda offset: pe.image_base + rva + offset - pointer
    cies, extents = {}, []
    while at + 4 <= end:
        length = struct.unpack_from("<I", data, at)[0]
        if length == 0:
            break
        body, next_record = at + 4, at + 4 + length
        cie_id = struct.unpack_from("<I", data, body)[0]
        if cie_id == 0:
            version = data[body + 4]
            augmentation_end = data.index(b"\0", body + 5)
            augmentation = data[body + 5:augmentation_end].decode("ascii")
            cursor = uleb(data, augmentation_end + 1)[1]
            cursor = sleb(data, cursor)[1]
            cursor = cursor + 1 if version == 1 else uleb(data, cursor)[1]
            fde_encoding = 0
            if augmentation.startswith("z"):
                cursor = uleb(data, cursor)[1]
                for letter in augmentation[1:]:
                    if letter == "R":
                        fde_encoding = data[cursor]
                        cursor += 1
                    elif letter == "L":
                        cursor += 1
                    elif letter == "P":
                        cursor = encoded(data, cursor + 1, data[cursor], address(cursor + 1))[1]
            cies[at] = fde_encoding
        else:
            fde_encoding = cies[body - cie_id]
            start, cursor = encoded(data, body + 4, fde_encoding, address(body + 4))
            span, _ = encoded(data, cursor, fde_encoding & 0x0F, address(cursor))
            extents.append((start, start + span))
        at = next_record
    return extents


def disassemble(dll):
    """{address: (mnemonic, operands)} of the whole .text, in AT&T syntax."""
    listing = subprocess.run([OBJDUMP, "-d", "--no-show-raw-insn", "-j", ".text", dll],
                             capture_output=True, text=True, check=True).stdout
    found = {}
    for address, mnemonic, operands in re.findall(r"^ *([0-9a-f]+):\s+(\S+) *(.*)$", listing, re.M):
        found[int(address, 16)] = (mnemonic, operands.strip())
    return found


def link_map(path):
    """{symbol: (address, object it came from)} of the code symbols a GNU ld
    map lists. An input section's line names the object; a long section
    name puts its address, size and object on the next line."""
    symbols, source, pending = {}, None, None
    for line in open(path, encoding="utf-8", errors="replace"):
        line = line.rstrip("\n")
        section = re.match(r"^ (\.\S+)(?:\s+0x[0-9a-f]+\s+0x[0-9a-f]+\s+(\S.*))?$", line)
        wrapped = re.match(r"^\s+0x[0-9a-f]+\s+0x[0-9a-f]+\s+(\S.*)$", line)
        symbol = re.match(r"^\s+0x([0-9a-f]+)\s+([^\s0].*)$", line)
        if section:
            name, obj = section.groups()
            pending = None if obj else name
            source = obj.strip() if obj and name.startswith(".text") else None
        elif wrapped and pending:
            source = wrapped.group(1).strip() if pending.startswith(".text") else None
            pending = None
        elif symbol and source:
            symbols.setdefault(symbol.group(2).strip(), (int(symbol.group(1), 16), source))
        elif not line.startswith(" "):
            source = pending = None
    return symbols


def calling_convention(pe, dll, map_path, checks):
    """The i386 DLL's binary interface with the mail client and the loader."""
    checks.check("the unwind tables are in the section .eh_fram, where the module finds them at"
                 " load (platform/win32/unwind_tables.cc)", ".eh_fram" in pe.named)
    if ".eh_fram" not in pe.named:
        return
    extents = function_extents(pe)
    code = disassemble(dll)

    def extent(address):
        return next(((start, end) for start, end in extents if start <= address < end), None)

    def returns(start, end):
        """[(address, bytes popped)] of every ret between start and end."""
        found = []
        for address in sorted(a for a in code if start <= a < end):
            mnemonic, operands = code[address]
            if mnemonic == "ret" or (mnemonic in ("repz", "rep") and operands.startswith("ret")):
                pop = re.search(r"\$0x([0-9a-f]+)", operands)
                found.append((address, int(pop.group(1), 16) if pop else 0))
        return found

    def calls(start, end):
        return {int(operands, 16) for address, (mnemonic, operands) in code.items()
                if start <= address < end and mnemonic == "call"
                and re.fullmatch(r"0x[0-9a-f]+", operands)}

    exports = pe.export_addresses()
    for name, arguments in sorted(ARGUMENT_BYTES.items()):
        where = extent(exports[name]) if name in exports else None
        rets = returns(*where) if where else []
        checks.check("every ret of %s pops %d bytes (%s)" % (
            name, arguments, ", ".join("%#x: %d" % ret for ret in rets) or
            "no unwind entry or no ret found"), rets and all(pop == arguments for _, pop in rets))

    if not os.path.isfile(map_path):
        checks.check("the link map %s is there to find DllMain by" % map_path, False)
        return
    symbols = link_map(map_path)
    same_link = all(symbols.get("%s@%d" % (name, arguments), symbols.get(name, (None,)))[0]
                    == exports.get(name) for name, arguments in ARGUMENT_BYTES.items())
    checks.check("the map %s is this DLL's: it puts every callback at its export" % map_path,
                 same_link)
    dll_main, source = symbols.get("DllMain@12", (None, "nowhere"))
    checks.check("DllMain@12, the one the startup code calls, is the project's own"
                 " (host/module_entry.cc), not the runtime's default (it comes from %s)" % source,
                 source.replace("\\", "/").endswith("host/module_entry.cc.obj"))
    startup = extent(pe.image_base + pe.entry)
    reached = set()
    if startup:
        reached = calls(*startup)
        for target in list(reached):
            if extent(target):
                reached |= calls(*extent(target))
    checks.check("the entry point's code calls DllMain@12 at %s"
                 % (hex(dll_main) if dll_main else "?"), same_link and dll_main in reached)
    where = extent(dll_main) if dll_main else None
    rets = returns(*where) if where else []
    checks.check("every ret of DllMain pops its 12 bytes of arguments",
                 rets and all(pop == 12 for _, pop in rets))


MACHINES = {"i386": (0x14C, 0x10B, "32-bit PE for i386"),
            "amd64": (0x8664, 0x20B, "64-bit PE for x86-64")}


def check_file(path, machine="i386", map_path=None):
    checks = Checks()
    check = checks.check
    pe = Pe(open(path, "rb").read())
    machine_type, magic, what = MACHINES[machine]
    check(what, pe.machine == machine_type and pe.magic == magic)
    check("DLL flag set", pe.characteristics & 0x2000)
    exports = pe.exports()
    check("exports exactly the four undecorated callbacks (%s)" % ", ".join(exports),
          set(exports) == EXPORTS and len(exports) == 4)
    imports = [name.lower() for name in pe.imports()]
    check("imports only system DLLs (%s)" % ", ".join(imports),
          imports and set(imports) <= SYSTEM_DLLS)
    if machine == "i386":
        calling_convention(pe, path, map_path or os.path.splitext(path)[0] + ".map", checks)

    resources = pe.resources()
    groups = [r for r in resources if r[0] == RT_GROUP_ICON]
    check("icon group IDI_SENDWARDEN in language 0x0411",
          len(groups) == 1 and groups[0][1] == "IDI_SENDWARDEN" and groups[0][2] == JAPANESE)
    if groups:
        group = groups[0][3]
        count = struct.unpack_from("<H", group, 4)[0]
        width, height, colours, _, _, bits = struct.unpack_from("<BBBBHH", group, 6)
        check("one 32 x 32 icon with 16 colours",
              count == 1 and width == 32 and height == 32 and colours == 16 and bits == 4)
    icons = [r for r in resources if r[0] == RT_ICON]
    check("icon image in language 0x0411", len(icons) == 1 and icons[0][2] == JAPANESE)

    versions = [r for r in resources if r[0] == RT_VERSION]
    check("one version block in 0x0411", len(versions) == 1 and versions[0][2] == JAPANESE)
    if not versions:
        return checks
    key, fixed, children, _ = version_node(versions[0][3], 0)
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, _, file_os, file_type,
     _, _, _) = struct.unpack_from("<13I", fixed)
    check("version block signature", key == "VS_VERSION_INFO" and signature == 0xFEEF04BD)
    packed = (FIELDS[0] << 16 | FIELDS[1], FIELDS[2] << 16 | FIELDS[3])
    check("file and product version %s" % FIELDS_TEXT,
          (file_ms, file_ls) == packed and (product_ms, product_ls) == packed)
    check("file type DLL for 32-bit Windows", file_type == 2 and file_os == 4)
    blocks = {child[0]: child for child in children}
    tables = {t[0]: t for t in blocks.get("StringFileInfo", ("", "", [], 0))[2]}
    check("one string table, 041104b0", list(tables) == ["041104b0"])
    strings = {s[0]: s[1] for s in tables.get("041104b0", ("", "", [], 0))[2]}
    for name, value in VERSION_STRINGS.items():
        check("%s = %r (found %r)" % (name, value, strings.get(name)), strings.get(name) == value)
    translation = [v for v in blocks.get("VarFileInfo", ("", "", [], 0))[2]
                   if v[0] == "Translation"]
    check("translation 0x0411, 0x04B0",
          len(translation) == 1 and translation[0][1] == struct.pack("<HH", 0x0411, 0x04B0))
    return checks


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--machine", choices=sorted(MACHINES), default="i386")
    parser.add_argument("--map")
    parser.add_argument("dll")
    args = parser.parse_args()
    return check_file(args.dll, args.machine, args.map).summary()


if __name__ == "__main__":
    sys.exit(main())
