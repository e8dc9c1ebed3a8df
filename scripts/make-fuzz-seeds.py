#!/usr/bin/env python3
"""Writes the seed corpora of the fuzzers of what the user sees:

    fuzz/overlay/corpus-programme   overlay_programme_fuzzer
    fuzz/controller/corpus-tip      controller_tip_fuzzer
    fuzz/controller/corpus-menu     controller_menu_fuzzer

The texts are strings from broadcasts, as other decoders' test suites keep
them (each README in those folders names the sources); the EIT sections around
them are framed here. Shift_JIS is what zentu-aribdecode decodes, so the
native build must exist:

    scripts/make-fuzz-seeds.py [path/to/zentu-aribdecode]
"""
import os
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))

# TSDuck, src/utest/utestARIBCharset.cpp, testDecode1-26: service names of
# Akita stations, then programme titles and descriptions.
TSDUCK_SERVICES = [
    "0E4E484B0F416D39670E31FE0F3D294544",
    "0E4E484B451D461D6C310F3D294544",
    "0E4E484B0F374842530E32",
    "3D294544442B467C4A7C4177",
    "0E4142530F3D2945444A7C41770E31",
    "0E4142530F3D2945444A7C41774E573B7E",
    "0E414B540F3D2945441B7CC6ECD30E31",
    "0E414B540F4E573B7E",
    "0E471B7CACA4C9",
]
TSDUCK_TITLES = [
    "0E4E484B1D4B1D65F91D39370F1B243B7A5A7A56",
    "1D40F91B6F262373AC0F4D68BF212AFB47484D70CE1B7CE9A4AAF333583160194B4078467E212A49343D43194E"
    "322619724D5C402E212A212AFC1B243B7A5C7A56",
    "215A455A4D4B3B7E42651B7CC9E9DE215B31404C383F4E3A3831524C670E330F21211B243B7A6B1B2439214A0E"
    "310F214BFB4D72194E4D3D3436FC1B243B7A5C7A56",
    "1B7CCACBB3EC44414934374A2040561B7DC1E3F3AC254A255E253AF23F29D9EB2129444149773D2C4233213921"
    "7546304A2AC83F4DCE3643ADCE3B364A620E53501B243B0F7A56",
]
TSDUCK_DESCRIPTIONS = [
    "4C6B0E370F3B7EFDFB306C4A624068D8FD306C4A623F3CAFFC21213A23FDB3CE1D4B1D65F91D39F2464FB1BFA4"
    "2121215A1B7CADE3B9BFF9215B404430663C422124215AB5D6ADE3B9BFF9215B435345443F2D3B522124304B46"
    "23332449272124215A35243E5DADE3B9BFF9215B4366423C487E3878",
    "402E4439DEC3BFC04366CE1B6F69242A73CE0F3B52C9E2BFC1ACFD3732ECCE4366C7406840384C72CE42673F4D"
    "ABE93C6DEACE353BE43B523069C63D51F23358D6FA49543F3F4C4C4C5CCA4038454CCF426033583D684A2CCB21"
    "2A2129335831601B7CC9E9DE346949691931194E47484D70194E467C2139194B4C294365212A",
    "217A467C4B5C41343971C73643ADCE3877374AF2482F382B2227355C3A6A2144AA3F29A43D69E1CF254A255E25"
    "3A4E414D7D22274A21322C21443824CE426737334344AC3B364A622227357E45542144252A25262560C83B364A"
    "62B9EB1B7E89B7B78A3A5022274045322C21443324345F1B7DCB34714057CE3565424E3464222740694D552144"
    "4C5ACE3B5EC7382436214D5C",
]

# ariblib (youzaka), tests/sections/test_sdt.py: the SDT of TOKYO MX as two
# captured packets; its service names.
ARIBLIB_SDT_PACKETS = """
    47 60 11 11 00 42 F0 DB 7E 87 C5 00 00 7E 87 FF
    5C 38 F3 00 1D 48 0F 01 00 0C 1B 7E D4 CF CB D9
    CF 21 21 CD D8 B1 CF 07 01 FE 10 F0 06 00 01 C1
    01 84 5C 39 F3 00 19 48 0F 01 00 0C 1B 7E D4 CF
    CB D9 CF 21 21 CD D8 B1 CF 03 02 FE 10 C1 01 84
    5C 3A F3 00 1D 48 0F 01 00 0C 1B 7E D4 CF CB D9
    CF 21 21 CD D8 B2 CF 07 01 FE 11 F0 06 00 02 C1
    01 84 5C 3F F1 00 20 48 12 A1 00 0F 1B 7E D4 CF
    CB D9 CF 21 21 CD D8 4E 57 3B 7E CF 07 01 FE 10
    F0 06 00 01 C1 01 84 5D B8 E5 00 1F 48 10 C0 00
    0D 1B 7E CD D8 1B 7C EF F3 BB B0 1B 7E B1 CF 08
    03 89 1B 7E CD D8 D4 D6 C1 01 88 5D
    47 20 11 12 B9 E5 00 1F 48 10 C0 00 0D 1B 7E CD
    D8 1B 7C EF F3 BB B0 1B 7E B2 CF 08 03 89 1B 7E
    CD D8 D4 D6 C1 01 88 2D 82 29 2B
"""
ARIBLIB_SERVICES = [
    "1B7ED4CFCBD9CF2121CDD8B1",
    "1B7ED4CFCBD9CF2121CDD8B2",
    "1B7ED4CFCBD9CF2121CDD84E573B7E",
    "1B7ECDD81B7CEFF3BBB01B7EB1",
    "1B7ECDD81B7CEFF3BBB01B7EB2",
]


def crc32_mpeg2(data):
    crc = 0xFFFFFFFF
    for byte in data:
        crc ^= byte << 24
        for _ in range(8):
            crc = ((crc << 1) ^ 0x04C11DB7) if crc & 0x80000000 else crc << 1
            crc &= 0xFFFFFFFF
    return crc


def with_crc(section):
    return section + crc32_mpeg2(section).to_bytes(4, "big")


def mjd(year, month, day):
    # Days from 1858-11-17, the MJD epoch.
    import datetime
    return (datetime.date(year, month, day) - datetime.date(1858, 11, 17)).days


def bcd(*values):
    return bytes((v // 10) << 4 | (v % 10) for v in values)


def eit_present(service_id, name, text, start, duration):
    """An EIT present/following section (actual TS) with one event."""
    descriptor = b"jpn" + bytes([len(name)]) + name + bytes([len(text)]) + text
    assert len(descriptor) <= 255, "short event descriptor too long"
    descriptor = bytes([0x4D, len(descriptor)]) + descriptor
    (year, month, day, hour, minute), (hours, minutes) = start, duration
    event = (0x1234).to_bytes(2, "big") + mjd(year, month, day).to_bytes(2, "big") + bcd(hour, minute, 0)
    event += bcd(hours, minutes, 0) + bytes([0x80 | len(descriptor) >> 8, len(descriptor) & 0xFF]) + descriptor
    body = service_id.to_bytes(2, "big") + bytes([0xC1, 0x00, 0x01]) + (0x7E87).to_bytes(2, "big")
    body += (0x7E87).to_bytes(2, "big") + bytes([0x01, 0x4E]) + event
    length = len(body) + 4
    return with_crc(bytes([0x4E, 0xF0 | length >> 8, length & 0xFF]) + body)


def sdt_section():
    data = bytes.fromhex("".join(ARIBLIB_SDT_PACKETS.split()))
    first, second = data[:188], data[188:]
    payload = first[5:] + second[4:]  # after the pointer field, then the second header
    length = ((payload[1] & 0x0F) << 8 | payload[2]) + 3
    section = payload[:length]
    assert len(section) == length and crc32_mpeg2(section) == 0, "the captured SDT does not check"
    return section


def shift_jis(decoder, coded):
    utf8 = subprocess.run([decoder, coded], check=True, capture_output=True, text=True).stdout
    return utf8.rstrip("\n").encode("cp932")


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as seed:
        seed.write(data)


def main():
    decoder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        ROOT, "build/native/tools/aribdecode/zentu-aribdecode")
    titles = [bytes.fromhex(h) for h in TSDUCK_TITLES]
    descriptions = [bytes.fromhex(h) for h in TSDUCK_DESCRIPTIONS]

    # The overlay's programme: the first byte picks the text buffer (0 the
    # overlay's own 1024 bytes, else that many), the rest is the section.
    programme = os.path.join(ROOT, "fuzz/overlay/corpus-programme")
    start, duration = (2019, 10, 12, 19, 0), (0, 30)
    sections = []
    for i, title in enumerate(titles):
        description = descriptions[i] if i < len(descriptions) else b""
        if len(title) + len(description) + 5 > 255:
            description = b""
        sections.append((f"tsduck-title-{i + 1}", eit_present(0x5C38, title, description, start, duration)))
    for i, description in enumerate(descriptions):
        sections.append((f"tsduck-description-{i + 1}-as-name",
                         eit_present(0x5C38, description, b"", (2019, 12, 31, 23, 45), (1, 30))))
    for name, section in sections:
        write(programme, name, b"\x00" + section)
        write(programme, name + "-cut-48", b"\x30" + section)
    write(programme, "ariblib-sdt", b"\x00" + sdt_section())
    for i in range(3):
        with open(os.path.join(ROOT, f"fuzz/psi/corpus-eit/eit-{i}.bin"), "rb") as generated:
            write(programme, f"tsgen-eit-{i}", b"\x00" + generated.read())

    # The tip: flags (1 programme window hidden, 2 main window hidden), a
    # buffer size, the programme text, a zero, the status text.
    tip = os.path.join(ROOT, "fuzz/controller/corpus-tip")
    status = b"25.3dB 0 0 0 12:34 0 01:05:09"
    texts = [shift_jis(decoder, h) for h in TSDUCK_TITLES + TSDUCK_DESCRIPTIONS]
    for i, text in enumerate(texts):
        write(tip, f"tsduck-programme-{i + 1}", bytes([3, 0]) + text + b"\x00" + status)
        write(tip, f"tsduck-programme-{i + 1}-alone", bytes([1, 0]) + text + b"\x00")
    write(tip, "standin-status-alone", bytes([2, 0]) + b"\x00" + status)

    # The menu: state (4 windows, remote window known), request and
    # visibility, then the titles, twelve button texts, the current channel
    # and the status text.
    menu = os.path.join(ROOT, "fuzz/controller/corpus-menu")
    windows = ["\x83\x8a\x83\x82\x83\x52\x83\x93\x82\xc1\x82\xdb\x82\xa2\x95\xa8",  # the remote window
               "Zentu - \x94\xd4\x91\x67\x8f\xee\x95\xf1 - \x8e\x9f\x94\xd4\x91\x67",  # programme, next shown
               "Video", "ZentuUtil"]
    windows = [w.encode("latin-1") for w in windows]
    for group, coded in (("tsduck", TSDUCK_SERVICES), ("ariblib", ARIBLIB_SERVICES)):
        names = [shift_jis(decoder, h) for h in coded]
        buttons = (names + [b""] * 12)[:12]
        for current in (0, len(names) - 1):
            texts = windows + buttons + [names[current], status]
            write(menu, f"{group}-services-current-{current + 1}",
                  bytes([0x14, 0x0F]) + b"\x00".join(texts))
        texts = windows + buttons + [names[0], status]
        write(menu, f"{group}-services-recording", bytes([0x74, 0xFE]) + b"\x00".join(texts))
    return 0


if __name__ == "__main__":
    sys.exit(main())
