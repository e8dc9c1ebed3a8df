#!/usr/bin/env python3
"""Writes the release archives of the plug-in, byte for byte the same for the
same inputs and time stamp:

  DIST/ZentuTaskTray-VERSION-x86.zip, DIST/ZentuTaskTray-VERSION-x64.zip,
  DIST/SHA256SUMS

Each archive holds, in this order: ZentuTaskTray.dll, はじめにお読みください.txt
(README.ja.md as plain text, with the distributor's contact filled in),
LICENSE.txt (the licence and the notices of the runtime linked into the DLL)
and 更新履歴.txt (the change history, its entry for this version dated with
the time stamp below). The text files are Shift_JIS (code page 932) with CRLF
line ends, as Notepad on a Japanese Windows opens them with a double click; a
character that code page 932 cannot hold is an error.

File names: the name is stored in code page 932 with the UTF-8 flag clear,
and an Info-ZIP Unicode Path extra field (0x7075) carries its UTF-8 form.
Explorer's compressed folders, Lhaplus and older tools read the name in the
system's code page, which is 932 on a Japanese Windows; 7-Zip, Info-ZIP unzip
and libarchive take the UTF-8 name from the extra field on any system.

Every entry has the same time stamp (--epoch, the commit time, as Japanese
local time in the MS-DOS format) and the same attributes; the data is
deflated at level 9, or stored where that does not make it smaller.
"""
import argparse
import hashlib
import os
import re
import struct
import sys
import time
import unicodedata
import zlib

README_NAME = "はじめにお読みください.txt"
LICENSE_NAME = "LICENSE.txt"
CHANGELOG_NAME = "更新履歴.txt"
TEXT_WIDTH = 72  # columns, a double-width character counting two
# A quoted name (「...」) up to this width is never broken across lines.
UNBROKEN_QUOTE = 64
# The line of README.ja.md that the distributor's contact replaces.
CONTACT_MARK = "<!-- contact -->"
JST_OFFSET = 9 * 3600

# Japanese line-breaking rules: characters that may not begin a line, and
# characters that may not end one.
NO_LINE_START = set("、。，．・：；？！ー～）」』】〕］｝〉》”’ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ…‥),.:;!?]}")
NO_LINE_END = set("（「『【〔［｛〈《“‘([{")


# ---- README.ja.md as plain text ------------------------------------------

def columns(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in text)


def strip_inline(text):
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", text)
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = text.replace("**", "")
    return text.replace("`", "")


def tokens(text):
    """Breakable pieces: a quoted name (「...」, a window title, a key, a
    message) as a whole, a double-width character, a run of other non-blank
    characters (a word, a path) or a run of blanks. A quotation too long to
    be a name breaks like any text."""
    pieces = []
    for piece in re.findall(r"「[^「」]*」|[ ]+|[\u0021-\u007e\u00a0-\u00ff]+|.", text):
        if piece.startswith("「") and len(piece) > 1 and columns(piece) > UNBROKEN_QUOTE:
            pieces.append("「")
            pieces.extend(tokens(piece[1:]))
        else:
            pieces.append(piece)
    return pieces


def wrap(text, first_prefix, next_prefix, width=TEXT_WIDTH):
    """Lines of at most `width` columns. A piece that may not begin a line
    takes the line's last piece along to the next line, and a piece that
    may not end one goes to the next line with what follows it."""
    lines = []
    line = []  # pieces of the current line after its prefix
    prefix = first_prefix

    def room():
        return width - columns(prefix)

    def used():
        return sum(columns(piece) for piece in line)

    for token in tokens(text):
        if token.isspace():
            if line:
                line.append(token)
            continue
        if line and used() + columns(token) > room():
            carried = []
            if token[0] in NO_LINE_START:
                # The piece before it goes along, with any blanks dropped.
                while line and line[-1].isspace():
                    line.pop()
                if len(line) > 1:
                    carried.insert(0, line.pop())
            # Pieces that may not end a line go along too.
            while len(line) > 1 and line[-1][-1] in NO_LINE_END:
                carried.insert(0, line.pop())
            if line:
                lines.append((prefix + "".join(line)).rstrip())
                prefix = next_prefix
                line = carried
        line.append(token)
    lines.append((prefix + "".join(line)).rstrip())
    return lines


def join_lines(parts):
    """Joins the source lines of one paragraph: no blank between two
    Japanese characters, one blank otherwise."""
    text = ""
    for part in parts:
        part = part.strip()
        if text and part and not (columns(text[-1]) == 2 and columns(part[0]) == 2):
            text += " "
        text += part
    return text


def markdown_to_text(markdown, version):
    out = []
    lines = markdown.splitlines()
    i = 0

    def blank():
        if out and out[-1] != "":
            out.append("")

    while i < len(lines):
        line = lines[i]
        stripped = line.strip()
        if stripped.startswith("```"):
            i += 1
            while i < len(lines) and not lines[i].strip().startswith("```"):
                out.append(("    " + lines[i]).rstrip())
                i += 1
            i += 1
            blank()
            continue
        if not stripped or stripped.startswith("<!--"):
            i += 1
            continue
        heading = re.match(r"(#+) +(.*)", stripped)
        if heading:
            level, title = len(heading.group(1)), strip_inline(heading.group(2))
            if level == 1:
                out.extend([title, "バージョン " + version, "=" * TEXT_WIDTH, ""])
            else:
                blank()
                if level == 2:
                    out.extend(["", "■ " + title, ""])
                else:
                    out.extend(["◆ " + title, ""])
            i += 1
            continue
        # A paragraph or a list item runs until a blank line, a heading, a
        # fence or the next list item.
        item = re.match(r"( *)(- |\d+\. )(.*)", line)
        parts = [item.group(3) if item else stripped]
        i += 1
        while i < len(lines):
            nxt = lines[i]
            if (not nxt.strip() or re.match(r" *(- |\d+\. |#|```)", nxt)):
                break
            parts.append(nxt)
            i += 1
        text = strip_inline(join_lines(parts))
        if not text.strip():
            continue  # a paragraph of pictures only
        if item:
            indent = " " * len(item.group(1))
            mark = "・" if item.group(2) == "- " else item.group(2)
            out.extend(wrap(text, indent + mark, indent + " " * columns(mark)))
            if i < len(lines) and not lines[i].strip():
                # A list ends with its last item; items stay together.
                following = lines[i + 1] if i + 1 < len(lines) else ""
                if not re.match(r" *(- |\d+\. )", following):
                    blank()
        else:
            out.extend(wrap(text, "", ""))
            blank()
    while out and out[-1] == "":
        out.pop()
    return "\n".join(out) + "\n"


def windows_text(text):
    """Code page 932 with CRLF; fails on a character the code page lacks."""
    text = text.replace("\r\n", "\n")
    try:
        return text.replace("\n", "\r\n").encode("cp932")
    except UnicodeEncodeError as error:
        bad = text[error.start]
        line = text.count("\n", 0, error.start) + 1
        raise SystemExit(f"release-archives: U+{ord(bad):04X} '{bad}' (line {line}) has no code page 932 form")


def fill_contact(markdown, contact):
    if CONTACT_MARK not in markdown:
        raise SystemExit(f"release-archives: the read-me has no {CONTACT_MARK} line for the contact")
    lines = markdown.splitlines()
    at = lines.index(CONTACT_MARK)
    # The line after the mark is the repository's own text; the package says
    # what the distributor set.
    lines[at + 1] = contact
    return "\n".join(lines) + "\n"


def jst_date(epoch):
    return time.strftime("%Y-%m-%d", time.gmtime(epoch + JST_OFFSET))


def date_changelog(changelog, version, epoch):
    """The change history with its entry for `version` dated from the epoch,
    the same moment as the archive entries' time stamps."""
    heading = re.compile(r"^" + re.escape(version) + r"（[^）\n]*）$", re.M)
    if not heading.search(changelog):
        raise SystemExit(f"release-archives: the change history has no entry 「{version}（…）」")
    return heading.sub(f"{version}（{jst_date(epoch)}）", changelog, count=1)


# ---- ZIP -------------------------------------------------------------------

def dos_time(epoch):
    t = time.gmtime(max(epoch + JST_OFFSET, 315532800))  # not before 1980
    return (t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec // 2,
            (t.tm_year - 1980) << 9 | t.tm_mon << 5 | t.tm_mday)


def zip_archive(entries, epoch):
    """entries: (name, data) in archive order. Returns the archive's bytes."""
    clock, date = dos_time(epoch)
    body = bytearray()
    directory = bytearray()
    for name, data in entries:
        stored_name = name.encode("cp932")
        extra = b""
        if not name.isascii():
            utf8 = name.encode("utf-8")
            extra = struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(stored_name)) + utf8
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = packer.compress(data) + packer.flush()
        method = 8
        if len(packed) >= len(data):
            packed, method = data, 0
        crc = zlib.crc32(data)
        fields = struct.pack("<HHHHHIIIHH", 20, 0, method, clock, date, crc, len(packed), len(data),
                             len(stored_name), len(extra))
        offset = len(body)
        body += b"PK\x03\x04" + fields + stored_name + extra + packed
        # Made by MS-DOS (FAT) 2.0; external attributes: FILE_ATTRIBUTE_ARCHIVE.
        directory += (b"PK\x01\x02" + struct.pack("<H", 20) + fields +
                      struct.pack("<HHHII", 0, 0, 0, 0x20, offset) + stored_name + extra)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(directory), len(body), 0)
    return bytes(body + directory + end)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--version", required=True)
    parser.add_argument("--epoch", type=int, required=True, help="time stamp of every entry (Unix seconds)")
    parser.add_argument("--dist", required=True)
    parser.add_argument("--dll", action="append", required=True, metavar="ARCH=PATH")
    parser.add_argument("--readme", required=True, help="README.ja.md")
    parser.add_argument("--license", required=True, nargs="+", help="LICENSE and the notices appended to it")
    parser.add_argument("--changelog", required=True)
    parser.add_argument("--contact", required=True, help="where users report problems, as the read-me says it")
    args = parser.parse_args()

    def read_text(path):
        with open(path, encoding="utf-8") as f:
            return f.read()

    readme = windows_text(markdown_to_text(fill_contact(read_text(args.readme), args.contact), args.version))
    licence = windows_text("\n\n".join(read_text(p).rstrip("\n") for p in args.license) + "\n")
    changelog = windows_text(date_changelog(read_text(args.changelog), args.version, args.epoch))

    os.makedirs(args.dist, exist_ok=True)
    sums = []
    for pair in args.dll:
        arch, path = pair.split("=", 1)
        with open(path, "rb") as f:
            dll = f.read()
        archive = zip_archive([("ZentuTaskTray.dll", dll), (README_NAME, readme), (LICENSE_NAME, licence),
                               (CHANGELOG_NAME, changelog)], args.epoch)
        name = f"ZentuTaskTray-{args.version}-{arch}.zip"
        with open(os.path.join(args.dist, name), "wb") as f:
            f.write(archive)
        sums.append(f"{hashlib.sha256(archive).hexdigest()}  {name}\n")
        print(f"release-archives: {os.path.join(args.dist, name)} ({len(archive)} bytes)")
    with open(os.path.join(args.dist, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(sums)


if __name__ == "__main__":
    sys.exit(main())
