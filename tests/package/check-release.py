#!/usr/bin/env python3
"""Checks what scripts/package wrote, as a user's tools would see it:

  check-release.py DIST [AGAIN]

- DIST holds exactly the two archives named with the project version
  (read from the top-level CMakeLists.txt) and SHA256SUMS, whose sums match;
- each archive opens, its data passes the CRC check, and it holds exactly
  ZentuTaskTray.dll, はじめにお読みください.txt, LICENSE and CHANGELOG in
  that order; the read-me's name is stored in code page 932 with the UTF-8
  flag clear and an Info-ZIP Unicode Path field (0x7075) naming it in UTF-8;
- each DLL is a PE image for its machine (x86: 0x14C, x64: 0x8664) whose
  version resource holds the project version as file and product version;
- the text files decode as code page 932 and end their lines in CRLF only;
- with AGAIN (a second run, built afresh elsewhere) every file is the same.
Prints one line per failure and "package: N passed, M failed".
"""
import hashlib
import os
import re
import struct
import sys
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
README_NAME = "はじめにお読みください.txt"
ENTRIES = ["ZentuTaskTray.dll", README_NAME, "LICENSE", "CHANGELOG"]
MACHINES = {"x86": 0x14C, "x64": 0x8664}

passed = 0
failed = 0


def check(condition, what):
    global passed, failed
    if condition:
        passed += 1
    else:
        failed += 1
        print(f"FAILED: {what}")
    return condition


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(\s*ZentuTaskTray\s+VERSION\s+(\d+)\.(\d+)\.(\d+)", f.read()).groups()


def pe_machine(dll):
    if dll[:2] != b"MZ":
        return None
    offset = struct.unpack_from("<I", dll, 0x3C)[0]
    if dll[offset:offset + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", dll, offset + 4)[0]


def fixed_versions(dll):
    """File and product version of the VS_FIXEDFILEINFO, as 4-tuples."""
    at = dll.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None, None
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", dll, at + 8)
    split = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return split(file_ms, file_ls), split(product_ms, product_ls)


def unicode_path(extra):
    """(CRC of the header name, UTF-8 name) of a 0x7075 field, or None."""
    while len(extra) >= 4:
        tag, size = struct.unpack_from("<HH", extra)
        if tag == 0x7075 and size >= 5 and extra[4] == 1:
            return struct.unpack_from("<I", extra, 5)[0], extra[9:4 + size].decode("utf-8")
        extra = extra[4 + size:]
    return None


def check_archive(path, arch, version):
    with zipfile.ZipFile(path, metadata_encoding="cp932") as archive:
        check(archive.testzip() is None, f"{path}: CRC check")
        infos = archive.infolist()
        check([i.filename for i in infos] == ENTRIES, f"{path}: entries {[i.filename for i in infos]}")
        for info in infos:
            if info.filename == README_NAME:
                check(info.flag_bits & 0x800 == 0, f"{path}: read-me name flagged UTF-8")
                check(unicode_path(info.extra) == (zlib.crc32(README_NAME.encode("cp932")), README_NAME),
                      f"{path}: read-me name has no matching Unicode Path field")
        names = set(archive.namelist())
        if "ZentuTaskTray.dll" in names:
            dll = archive.read("ZentuTaskTray.dll")
            check(pe_machine(dll) == MACHINES[arch], f"{path}: DLL machine {pe_machine(dll)}")
            expected = tuple(int(n) for n in version) + (0,)
            check(fixed_versions(dll) == (expected, expected),
                  f"{path}: DLL versions {fixed_versions(dll)}, project {expected}")
        for name in (README_NAME, "LICENSE", "CHANGELOG"):
            if name not in names:
                continue
            data = archive.read(name)
            try:
                text = data.decode("cp932")
            except UnicodeDecodeError as error:
                check(False, f"{path}: {name} is not code page 932 ({error})")
                continue
            check("\n" in text and "\n" not in text.replace("\r\n", "") and "\r" not in text.replace("\r\n", ""),
                  f"{path}: {name} lines do not all end in CRLF")
            if name == README_NAME:
                check(f"バージョン {'.'.join(version)}" in text and "Zentu_TaskTray.ini" in text,
                      f"{path}: read-me lacks its version or the settings file")


def main():
    dist = sys.argv[1]
    again = sys.argv[2] if len(sys.argv) > 2 else None
    version = project_version()
    zips = {arch: f"ZentuTaskTray-{'.'.join(version)}-{arch}.zip" for arch in MACHINES}
    files = sorted(list(zips.values()) + ["SHA256SUMS"])
    check(sorted(os.listdir(dist)) == files, f"{dist} holds {sorted(os.listdir(dist))}, expected {files}")
    if os.path.exists(os.path.join(dist, "SHA256SUMS")):
        with open(os.path.join(dist, "SHA256SUMS")) as f:
            listed = dict(reversed(line.split("  ", 1)) for line in f.read().splitlines())
        check(sorted(listed) == sorted(zips.values()), f"SHA256SUMS lists {sorted(listed)}")
        for name in zips.values():
            path = os.path.join(dist, name)
            if os.path.exists(path):
                with open(path, "rb") as f:
                    check(listed.get(name) == hashlib.sha256(f.read()).hexdigest(), f"SHA256SUMS: {name}")
    for arch, name in zips.items():
        if os.path.exists(os.path.join(dist, name)):
            check_archive(os.path.join(dist, name), arch, version)
    if again:
        for name in files:
            first, second = os.path.join(dist, name), os.path.join(again, name)
            same = os.path.exists(first) and os.path.exists(second)
            if same:
                with open(first, "rb") as a, open(second, "rb") as b:
                    same = a.read() == b.read()
            check(same, f"{name} differs from the second run's {second}")
    print(f"package: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
