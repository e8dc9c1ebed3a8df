#!/usr/bin/env python3
"""What a host sees of the plug-in DLL, as text: its machine, the names it
exports, every function it imports (DLL!name) and every resource (type, name,
language, size and SHA-256 of the data).

  dll_interface.py DLL              prints it
  dll_interface.py DLL EXPECTED     compares it with a file printed before and
                                    fails, showing the difference, if it changed
"""
import difflib
import hashlib
import struct
import sys

MACHINES = {0x14C: "x86", 0x8664: "x64"}
RESOURCE_TYPES = {1: "CURSOR", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING", 14: "GROUP_ICON",
                  16: "VERSION", 24: "MANIFEST"}


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        self.machine, sections = struct.unpack_from("<HH", data, pe + 4)
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.pe32plus = magic == 0x20B
        directories = optional + (112 if self.pe32plus else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} outside every section")

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")


def exports(image):
    rva, size = image.directories[0]
    if not rva:
        return []
    at = image.offset(rva)
    count, name_table = struct.unpack_from("<I", image.data, at + 24)[0], struct.unpack_from(
        "<I", image.data, at + 32)[0]
    names = image.offset(name_table)
    return sorted(image.string(struct.unpack_from("<I", image.data, names + 4 * i)[0]) for i in range(count))


def imports(image):
    rva, _ = image.directories[1]
    result = []
    at = image.offset(rva)
    thunk_size, ordinal_bit = (8, 1 << 63) if image.pe32plus else (4, 1 << 31)
    while True:
        lookup, _, _, name, first = struct.unpack_from("<IIIII", image.data, at)
        if name == 0:
            break
        dll = image.string(name).lower()
        thunk = image.offset(lookup or first)
        while True:
            value = struct.unpack_from("<Q" if image.pe32plus else "<I", image.data, thunk)[0]
            if value == 0:
                break
            if value & ordinal_bit:
                result.append(f"{dll}!#{value & 0xFFFF}")
            else:
                result.append(f"{dll}!{image.string((value & 0x7FFFFFFF) + 2)}")
            thunk += thunk_size
        at += 20
    return sorted(result)


def resources(image):
    rva, _ = image.directories[2]
    if not rva:
        return []
    base = image.offset(rva)
    data = image.data

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                key = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield key, target

    result = []
    for type_key, type_target in entries(0):
        for name_key, name_target in entries(type_target & 0x7FFFFFFF):
            for language, leaf in entries(name_target & 0x7FFFFFFF):
                data_rva, size = struct.unpack_from("<II", data, base + leaf)
                body = data[image.offset(data_rva):image.offset(data_rva) + size]
                kind = RESOURCE_TYPES.get(type_key, type_key)
                result.append(f"{kind}/{name_key}/{language} {size} {hashlib.sha256(body).hexdigest()}")
    return sorted(result)


def describe(path):
    with open(path, "rb") as file:
        image = Image(file.read())
    lines = [f"machine {MACHINES.get(image.machine, hex(image.machine))}"]
    lines += [f"export {name}" for name in exports(image)]
    lines += [f"import {name}" for name in imports(image)]
    lines += [f"resource {entry}" for entry in resources(image)]
    return lines


def main(argv):
    lines = describe(argv[1])
    if len(argv) < 3:
        print("\n".join(lines))
        return 0
    with open(argv[2], encoding="utf-8") as file:
        expected = file.read().splitlines()
    if lines == expected:
        print(f"{argv[1]}: exports, imports and resources as expected")
        return 0
    sys.stdout.writelines(line + "\n" for line in difflib.unified_diff(expected, lines, argv[2], argv[1], lineterm=""))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
