#!/usr/bin/env python3
"""Checks what scripts/package wrote, as a user's tools would see it:

  check-release.py DIST [AGAIN]

- DIST holds exactly the two archives named with the project version
  (read from the top-level CMakeLists.txt) and SHA256SUMS, whose sums match;
- each archive opens, its data passes the CRC check, and it holds exactly
  ZentuTaskTray.dll, はじめにお読みください.txt, LICENSE.txt and 更新履歴.txt
  in that order; each Japanese name is stored in code page 932 with the
  UTF-8 flag clear and an Info-ZIP Unicode Path field (0x7075) naming it in
  UTF-8;
- each DLL is a PE image for its machine (x86: 0x14C, x64: 0x8664) whose
  version resource holds the project version as file and product version,
  the product name and the copyright line of LICENSE;
- the text files decode as code page 932 and end their lines in CRLF only;
- the read-me names every file of the archive, has the sections a user
  looks for, keeps to its width (72 columns) and breaks no line inside a
  name or key it quotes (「...」 or `...` in README.ja.md);
- the change history's entry for this version carries the archive entries'
  date;
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
CHANGELOG_NAME = "更新履歴.txt"
ENTRIES = ["ZentuTaskTray.dll", README_NAME, "LICENSE.txt", CHANGELOG_NAME]
TEXTS = ENTRIES[1:]
MACHINES = {"x86": 0x14C, "x64": 0x8664}
PRODUCT = "ZentuTaskTray"
WIDTH = 72
SECTIONS = ["インストール", "アップデート", "アンインストール", "設定ファイル", "制限事項", "動作確認環境",
            "免責事項", "連絡先・不具合報告", "同梱ファイル"]

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


def version_string(dll, key):
    """A value of the version resource's string table (UTF-16), or None."""
    marker = (key + "\0").encode("utf-16-le")
    at = dll.find(marker)
    if at < 0:
        return None
    at += len(marker)
    at += (-at) % 4  # the value starts on a 32-bit boundary
    end = dll.find(b"\0\0", at)
    while end >= 0 and (end - at) % 2:
        end = dll.find(b"\0\0", end + 1)
    return dll[at:end].decode("utf-16-le") if end >= 0 else None


def columns(text):
    import unicodedata
    return sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in text)


def quoted_names():
    """Every 「...」 and `...` of README.ja.md short enough to stay on one line
    (64 columns)."""
    with open(os.path.join(ROOT, "README.ja.md"), encoding="utf-8") as f:
        markdown = f.read()
    names = set(re.findall(r"「[^「」\n]*」", markdown))
    names |= {m for m in re.findall(r"`([^`\n]+)`", markdown)}
    return sorted(n for n in names if columns(n) <= 64)  # as scripts/release-archives.py keeps them whole


def broken_names(lines, names):
    """Names that run over a line end: found in two adjacent lines joined
    (with or without the blank a wrap drops) across the joint."""
    broken = set()
    for first, second in zip(lines, lines[1:]):
        second = second.lstrip(" 　")
        for glue in ("", " "):
            joined = first + glue + second
            joint = len(first)
            for name in names:
                at = joined.find(name)
                while at >= 0:
                    if at < joint and at + len(name) > joint + len(glue):
                        broken.add(name)
                    at = joined.find(name, at + 1)
    return sorted(broken)


def check_readme(path, text):
    lines = text.split("\r\n")
    for entry in ENTRIES:
        check(entry in text, f"{path}: the read-me does not name {entry}")
    for section in SECTIONS:
        check(any(line.startswith(f"■ {section}") for line in lines), f"{path}: the read-me has no section 「{section}」")
    wide = [line for line in lines if columns(line) > WIDTH]
    check(not wide, f"{path}: read-me lines wider than {WIDTH} columns: {wide[:3]}")
    broken = broken_names(lines, quoted_names())
    check(not broken, f"{path}: the read-me breaks lines inside {broken[:5]}")


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
            if not info.filename.isascii():
                check(info.flag_bits & 0x800 == 0, f"{path}: {info.filename} flagged UTF-8")
                check(unicode_path(info.extra) == (zlib.crc32(info.filename.encode("cp932")), info.filename),
                      f"{path}: {info.filename} has no matching Unicode Path field")
        names = set(archive.namelist())
        if "ZentuTaskTray.dll" in names:
            dll = archive.read("ZentuTaskTray.dll")
            check(pe_machine(dll) == MACHINES[arch], f"{path}: DLL machine {pe_machine(dll)}")
            expected = tuple(int(n) for n in version) + (0,)
            check(fixed_versions(dll) == (expected, expected),
                  f"{path}: DLL versions {fixed_versions(dll)}, project {expected}")
            check(version_string(dll, "ProductName") == PRODUCT,
                  f"{path}: DLL product name {version_string(dll, 'ProductName')!r}")
            with open(os.path.join(ROOT, "LICENSE"), encoding="utf-8") as f:
                copyright_line = next(line.strip() for line in f if line.startswith("Copyright "))
            check(version_string(dll, "LegalCopyright") == copyright_line,
                  f"{path}: DLL copyright {version_string(dll, 'LegalCopyright')!r}, LICENSE {copyright_line!r}")
        entry_date = None
        if infos:
            dos_date = infos[0].date_time
            entry_date = f"{dos_date[0]:04d}-{dos_date[1]:02d}-{dos_date[2]:02d}"
        for name in TEXTS:
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
                check_readme(path, text)
            if name == CHANGELOG_NAME:
                heading = f"{'.'.join(version)}（{entry_date}）"
                check(heading in text.split("\r\n"), f"{path}: the change history has no entry {heading}")


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
