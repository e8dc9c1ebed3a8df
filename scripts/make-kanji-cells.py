#!/usr/bin/env python3
"""Writes text/AribStringKanjiCells.h: where the JIS-to-Shift_JIS arithmetic
does not give the right code page 932 character for a cell of the Kanji set
or of the JIS-compatible Kanji plane 1, and what to give there instead.

The decoder converts a cell (c1, c2) by arithmetic. That is right wherever
JIS X 0208 assigns the cell: code page 932 is JIS X 0208 in Shift_JIS form.
Elsewhere the arithmetic gives a code that code page 932 does not define, or
an unrelated character. For those cells the header lists:

  - ranges of cells (in row-major cell order) that do not follow the
    arithmetic; each gives the geta mark 0x81 0xAC unless overridden,
  - overrides: the code page 932 code of the character the cell stands for.

Kanji set (ESC $ B): JIS X 0208, plus the broadcaster's additional kanji in
rows 0x75-0x76 (rows 85-86) and additional symbols in rows 0x7A-0x7E. Cells
of rows 0x21-0x74 that JIS X 0208 leaves unassigned keep the arithmetic
where code page 932 defines that code (its NEC row 13), else the geta mark.
Rows 0x77-0x79 and the symbol rows give the geta mark here; the decoder
looks the symbol rows up before it reads this table.

JIS-compatible Kanji plane 1 (ESC $ 9): JIS X 0213 plane 1. Cells outside
JIS X 0208 give the code page 932 character for JIS X 0213's character, or
the geta mark where code page 932 has none (or the cell is unassigned).

Characters go through Unicode only outside JIS X 0208: a round trip of JIS X
0208 cells would lose some of them (WAVE DASH U+301C against code page 932's
U+FF5E, for one). Where code page 932 has a character twice, the lowest code
outside the NEC-selected IBM extensions (lead bytes 0xED and 0xEE) is taken,
as Windows and glibc's iconv encode it.

    scripts/make-kanji-cells.py [output-file]   (default: text/AribStringKanjiCells.h)
"""
import os
import sys

GETA = 0x81AC

# The broadcaster's additional kanji, rows 85 and 86 of the Kanji set
# (0x7521-0x757E and 0x7621-0x764B), as Unicode code points.
ADDITIONAL_KANJI = {
    0x75: [
        0x3402, 0x20158, 0x4EFD, 0x4EFF, 0x4F9A, 0x4FC9, 0x509C, 0x511E,
        0x51BC, 0x351F, 0x5307, 0x5361, 0x536C, 0x8A79, 0x20BB7, 0x544D,
        0x5496, 0x549C, 0x54A9, 0x550E, 0x554A, 0x5672, 0x56E4, 0x5733,
        0x5734, 0xFA10, 0x5880, 0x59E4, 0x5A23, 0x5A55, 0x5BEC, 0xFA11,
        0x37E2, 0x5EAC, 0x5F34, 0x5F45, 0x5FB7, 0x6017, 0xFA6B, 0x6130,
        0x6624, 0x66C8, 0x66D9, 0x66FA, 0x66FB, 0x6852, 0x9FC4, 0x6911,
        0x693B, 0x6A45, 0x6A91, 0x6ADB, 0x233CC, 0x233FE, 0x235C4, 0x6BF1,
        0x6CE0, 0x6D2E, 0xFA45, 0x6DBF, 0x6DCA, 0x6DF8, 0xFA46, 0x6F5E,
        0x6FF9, 0x7064, 0xFA6C, 0x242EE, 0x7147, 0x71C1, 0x7200, 0x739F,
        0x73A8, 0x73C9, 0x73D6, 0x741B, 0x7421, 0xFA4A, 0x7426, 0x742A,
        0x742C, 0x7439, 0x744B, 0x3EDA, 0x7575, 0x7581, 0x7772, 0x4093,
        0x78C8, 0x78E0, 0x7947, 0x79AE, 0x9FC6, 0x4103,
    ],
    0x76: [
        0x9FC5, 0x79DA, 0x7A1E, 0x7B7F, 0x7C31, 0x4264, 0x7D8B, 0x7FA1,
        0x8118, 0x813A, 0xFA6D, 0x82AE, 0x845B, 0x84DC, 0x84EC, 0x8559,
        0x85CE, 0x8755, 0x87EC, 0x880B, 0x88F5, 0x89D2, 0x8AF6, 0x8DCE,
        0x8FBB, 0x8FF6, 0x90DD, 0x9127, 0x912D, 0x91B2, 0x9233, 0x9288,
        0x9321, 0x9348, 0x9592, 0x96DE, 0x9903, 0x9940, 0x9AD9, 0x9BD6,
        0x9DD7, 0x9EB4, 0x9EB5,
    ],
}
assert len(ADDITIONAL_KANJI[0x75]) == 94 and len(ADDITIONAL_KANJI[0x76]) == 43

CELLS = range(0x21, 0x7F)


def decode(data, encoding):
    try:
        return data.decode(encoding)
    except UnicodeDecodeError:
        return None


def is_private_use(text):
    return any(0xE000 <= ord(ch) <= 0xF8FF for ch in text)


def cp932_characters():
    """Every double-byte code that code page 932 defines outside its
    user-defined area, as {code: character}."""
    characters = {}
    for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
            text = decode(bytes([lead, trail]), 'cp932')
            if text is not None and not is_private_use(text):
                characters[lead << 8 | trail] = text
    return characters


CP932 = cp932_characters()
CP932_CODES = {}
for _code, _text in CP932.items():
    CP932_CODES.setdefault(_text, []).append(_code)


def cp932_code(character):
    """The code page 932 code of a character, or None."""
    codes = CP932_CODES.get(character, [])
    preferred = [code for code in codes if code >> 8 not in (0xED, 0xEE)]
    return min(preferred or codes) if codes else None


def jis_to_sjis(c1, c2):
    trail = (c2 + 0x1F + (1 if c2 >= 0x60 else 0)) if c1 & 1 else c2 + 0x7E
    lead = (c1 + 1) // 2 + (0x70 if c1 < 0x5F else 0xB0)
    return lead << 8 | trail


def in_jis_x0208(c1, c2):
    return decode(bytes([c1 | 0x80, c2 | 0x80]), 'euc_jp') is not None


def kanji_set_cell(c1, c2):
    """The code for a Kanji-set cell and the character it stands for."""
    if c1 in ADDITIONAL_KANJI:
        row = ADDITIONAL_KANJI[c1]
        if c2 - 0x21 >= len(row):
            return GETA, None
        character = chr(row[c2 - 0x21])
        return cp932_code(character) or GETA, character
    if c1 >= 0x77:
        return GETA, None
    code = jis_to_sjis(c1, c2)
    return (code, CP932[code]) if code in CP932 else (GETA, None)


def jis_plane1_cell(c1, c2):
    if in_jis_x0208(c1, c2):
        code = jis_to_sjis(c1, c2)
        return code, CP932[code]
    character = decode(bytes([c1 | 0x80, c2 | 0x80]), 'euc_jis_2004')
    if character is None or len(character) != 1:  # unassigned, or a combining sequence
        return GETA, None
    return cp932_code(character) or GETA, character


def exceptions(cell):
    """Ranges of cells the arithmetic does not give, and the overrides."""
    ranges, overrides = [], []
    previous_index = None
    for c1 in CELLS:
        for c2 in CELLS:
            code, character = cell(c1, c2)
            if code == jis_to_sjis(c1, c2):
                continue
            index = (c1 - 0x21) * 94 + (c2 - 0x21)
            if ranges and previous_index == index - 1:
                ranges[-1][1] = c1 << 8 | c2
            else:
                ranges.append([c1 << 8 | c2, c1 << 8 | c2])
            previous_index = index
            if code != GETA:
                overrides.append((c1 << 8 | c2, code, character))
    return ranges, overrides


def lacking(row):
    """The additional kanji of a row that code page 932 lacks."""
    return [(row << 8 | (0x21 + i), chr(u))
            for i, u in enumerate(ADDITIONAL_KANJI[row]) if cp932_code(chr(u)) is None]


def array(name, kind, entries, per_line):
    lines = [f'inline constexpr {kind} {name}[] = {{']
    for i in range(0, len(entries), per_line):
        lines.append('    ' + ' '.join(entries[i:i + per_line]))
    lines.append('};')
    return lines


def overrides_array(name, overrides):
    lines = [f'inline constexpr CellOverride {name}[] = {{']
    for jis, code, character in overrides:
        lines.append(f'    {{0x{jis:04X}, 0x{code:04X}}},  // {character} U+{ord(character):04X}')
    lines.append('};')
    return lines


def ranges_array(name, ranges):
    return array(name, 'CellRange', [f'{{0x{a:04X}, 0x{b:04X}}},' for a, b in ranges], 5)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    default_output = os.path.join(root, 'text', 'AribStringKanjiCells.h')
    output = sys.argv[1] if len(sys.argv) > 1 else default_output

    kanji_ranges, kanji_overrides = exceptions(kanji_set_cell)
    plane1_ranges, plane1_overrides = exceptions(jis_plane1_cell)
    missing = lacking(0x75) + lacking(0x76)

    lines = [
        '// Generated by scripts/make-kanji-cells.py; do not edit.',
        '//',
        '// Cells of the Kanji set and of the JIS-compatible Kanji plane 1 where the',
        '// JIS-to-Shift_JIS arithmetic gives no code page 932 character or the wrong',
        '// one. A cell in a range gives the geta mark unless an override names the',
        '// code page 932 code of its character. Ranges run in row-major cell order.',
        '#pragma once',
        '',
        '#include "AribStringTables.h"',
        '',
        'namespace arib::kanji_cells {',
        '',
        '// Kanji set: cells JIS X 0208 leaves unassigned where code page 932 defines',
        '// nothing, rows 0x75-0x76 of the broadcaster\'s additional kanji, rows',
        '// 0x77-0x79, and the additional-symbol rows 0x7A-0x7E (looked up elsewhere).',
        *ranges_array('kKanjiSetRanges', kanji_ranges),
        '',
        '// Additional kanji that code page 932 has, many in its NEC and IBM extensions.',
        *overrides_array('kKanjiSetOverrides', kanji_overrides),
        '',
        '// Additional kanji that code page 932 lacks, given as the geta mark:',
    ]
    for i in range(0, len(missing), 10):
        lines.append('//   ' + ' '.join(f'{jis:04X} {ch}' for jis, ch in missing[i:i + 10]))
    lines += [
        '',
        '// JIS-compatible Kanji plane 1 (JIS X 0213 plane 1): cells outside JIS X 0208.',
        *ranges_array('kJisPlane1Ranges', plane1_ranges),
        '',
        '// JIS X 0213 characters of those cells that code page 932 has.',
        *overrides_array('kJisPlane1Overrides', plane1_overrides),
        '',
        '}  // namespace arib::kanji_cells',
        '',
    ]
    with open(output, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\n'.join(lines))


if __name__ == '__main__':
    main()
