#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/.

Run by hand after an input layout changes; the seeds are committed. The
drive seeds take their sectors from the captured drives in
tests/data/smart.
"""
import os
import shutil
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CAPTURES = os.path.join(HERE, "..", "tests", "data", "smart")
OUT = os.path.join(HERE, "corpus")


def capture(name):
    with open(os.path.join(CAPTURES, name + ".bin"), "rb") as f:
        d = f.read()
    sections, i = {}, 0
    while i + 8 <= len(d):
        tag, n = d[i:i + 4].decode(), int.from_bytes(d[i + 4:i + 8], "big")
        sections[tag] = d[i + 8:i + 8 + n]
        i += 8 + n
    return sections


def u8(v):
    return bytes([v & 0xFF])


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def text(s):
    b = s.encode("latin-1") if isinstance(s, str) else s
    return u8(len(b)) + b


seeds = {}


def seed(target, name, data):
    seeds.setdefault(target, []).append((name, data))


# ---- smart_decode: attribute sector, threshold sector ----
DRIVES = ["Maxtor_96147H8--BAC51KJ0", "SAMSUNG_HD501LJ--CR100-12", "ST9160821AS--3.CLH",
          "INTEL_SSDSA2CW120G3--4PC10302", "TOSHIBA_MK1651GSY--38IGT0G5T", "FUJITSU_MHY2120BH--0084000D"]
for d in DRIVES:
    c = capture(d)
    seed("smart_decode", d.lower(), c["SMDT"] + c["SMTH"])


def entry(number, flags, current, worst, raw):
    return bytes([number]) + u16(flags) + bytes([current, worst]) + raw.to_bytes(6, "little") + b"\0"


def sectors(entries, thresholds):
    a = b"\x10\x00" + b"".join(entries)
    t = b"\x10\x00" + b"".join(bytes([n, th]) + bytes(10) for n, th in thresholds)
    return a.ljust(512, b"\0") + t.ljust(512, b"\0")


# Spin-up counted from 253, then a seek rate judged against it; 194 and 5.
seed("smart_decode", "baseline-253", sectors(
    [entry(3, 3, 253, 253, 0), entry(7, 1, 130, 130, 0), entry(5, 0x33, 100, 100, 501),
     entry(194, 0x22, 100, 100, 0x3700120028), entry(9, 0x32, 99, 99, 120)],
    [(3, 21), (7, 21), (5, 36), (194, 0), (9, 0)]))

# ---- smart_drive: operation, platform, open, drive, then one entry per request ----


def head(op, platform=0, open_fails=0, open_error=2, drive=0):
    return bytes([op, platform, open_fails, open_error]) + u32(drive)


def ok_version(device_map):
    return b"\x00\x00" + u8(device_map)


def ok_enable():
    return b"\x00\x00\x00\x00"


def ok_sector(sector):
    return b"\x00\x00\x00\x00" + sector


def failed_sector(error, driver, ide):
    return b"\x05" + bytes([error, driver, ide]) + bytes(512)


c0, c1 = capture("SAMSUNG_HD501LJ--CR100-12"), capture("WDC_WD5000AAKS--00TMA0-12.01C01")
full = ok_enable() + ok_sector(c0["IDFY"]) + ok_sector(c0["SMDT"]) + ok_sector(c0["SMTH"])
seed("smart_drive", "full-read", head(3) + ok_version(0x01) + full)
seed("smart_drive", "full-read-second-position",
     head(3, drive=1) + ok_version(0x03) + ok_enable() + failed_sector(31, 7, 0x51) + b"\x05\x01\x00\x00" +
     ok_sector(c1["IDFY"]) + ok_sector(c1["SMDT"]) + ok_sector(c1["SMTH"]))
seed("smart_drive", "read-attributes-fail",
     head(1) + ok_version(0x05) + ok_enable() + ok_sector(c0["IDFY"]) + failed_sector(1, 4, 0x41) +
     ok_enable() + ok_sector(c1["IDFY"]) + ok_sector(c1["SMDT"]) + failed_sector(23, 12, 0x04))
seed("smart_drive", "identify-atapi", head(0) + ok_version(0x11) + ok_sector(c1["IDFY"]))
seed("smart_drive", "identify-9x", head(0, platform=1) + ok_version(0x0F) + ok_enable() + ok_sector(c0["IDFY"]))
seed("smart_drive", "open-fails", head(3, open_fails=1, open_error=5, drive=3))
seed("smart_drive", "exception-during-read",
     head(3) + ok_version(0x01) + ok_enable() + ok_sector(c0["IDFY"]) + b"\x0F" + text(" disk gone \t"))
area = bytes([0, 0x80, 0, 12]) + b"  ABC123    "
seed("smart_drive", "pass-through-serial", head(2, drive=2) + b"\x00\x00" + area.ljust(192, b"\0"))

# ---- nvme: per query a control byte, the bytes claimed fewer (u16), the reply buffer ----
def nvme_reply(stem, kind, part, short=0):
    d = open(os.path.join(HERE, "..", "tests", "data", "nvme", stem + "." + part + ".bin"), "rb").read()
    return b"\0" + u16(short) + u32(48) * 2 + u32(3) + u32(kind) * 2 + u32(0) + u32(40) + u32(len(d)) + bytes(16) + d
for stem in ["Apple_SSD_SM0512L--5F23FAB6315F", "Crucial_CT1000P1SSD8--630C9F6A8F10"]:
    seed("nvme", stem.lower(), nvme_reply(stem, 1, "identify") + nvme_reply(stem, 2, "health"))
seed("nvme", "returned-short", nvme_reply("Crucial_CT1000P1SSD8--630C9F6A8F10", 1, "identify", 1))

# ---- identify_text: identify fields; the first 192 bytes are also a pass-through data area ----
seed("identify_text", "example", bytes.fromhex("42413231444334332020"))
seed("identify_text", "inner-blanks", bytes.fromhex("20414220"))
seed("identify_text", "model-field", c0["IDFY"][54:94])
seed("identify_text", "serial-field", capture("ST9160821AS--3.CLH")["IDFY"][20:40])
seed("identify_text", "serial-page", (bytes([0, 0x80, 0, 14]) + b" 5QE4RZ2N      ").ljust(192, b"\0") +
     b"Access denied. \r\n")
seed("identify_text", "long-page", bytes([0, 0x80, 0, 250]) + b"S" * 188)

# ---- wmi: values (even first byte) and query scripts (odd) ----
KNOWN = [2, 3, 4, 5, 8, 11, 13, 16, 17, 18, 19, 20, 21, 101, 102, 103]


def cim(code):
    return u8(KNOWN.index(code))


def v_int(i):
    return b"\x02" + u32(i)


# The tag byte modulo 9 picks the kind; its high bits pick the variant.
def v_wide(i):
    return b"\x80" + struct.pack("<q", i)


def v_real32(f):
    return b"\x81" + struct.pack("<f", f)


def v_real64(d):
    return b"\x03" + struct.pack("<d", d)


def v_text(s):
    return b"\x05" + text(s)


def v_array(items):
    return b"\x07" + u8(len(items)) + b"".join(items)


V_NULL, V_TRUE = b"\x01", b"\x16"

seed("wmi", "sint64-too-large", b"\x00" + cim(20) + b"." + v_wide(5000000000))
seed("wmi", "uint64-as-text", b"\x00" + cim(21) + b"." + v_text("5000000000"))
seed("wmi", "uint8-array", b"\x00" + cim(17) + b"." + v_array([v_int(1), v_int(2), v_int(3)]))
seed("wmi", "string-array", b"\x00" + cim(8) + b"." + v_array([v_text("a"), v_text("b")]))
seed("wmi", "real32", b"\x00" + cim(4) + b"." + v_real32(0.1))
seed("wmi", "real64-small", b"\x00" + cim(5) + b"," + v_real64(0.00001))
seed("wmi", "datetime", b"\x00" + cim(101) + b"." + v_text("20240101093000.000000+540"))


def prop(name, code, value, fail=0):
    return text(name) + cim(code) + value + u8(fail)


def instance(props, reported=None, next_fail=0, count_fail=0):
    n = len(props) if reported is None else reported
    return u8(next_fail) + u8(n + 1) + u8(count_fail) + u8(len(props)) + b"".join(props)


def query(q, count, instances, sep=b".", open_fail=None, custom=None):
    qb = u8(q) if custom is None else b"\xC8" + text(custom)
    fail = b"\x00" if open_fail is None else b"\xE0" + text(open_fail)
    return (b"\x01" + qb + b"\x00" + fail + u8(count + 3) + b"\x00" + sep + u8(len(instances)) +
            b"".join(instances))


bios = [prop("Manufacturer", 8, v_text("Vesk BIOS")), prop("PrimaryBIOS", 11, V_TRUE),
        prop("Version", 18, v_int(2)), prop("Description", 8, V_NULL),
        prop("Features", 18, v_array([v_int(4), v_int(7), v_int(9)]))]
seed("wmi", "class-two-instances", query(0, 2, [instance(bios), instance(bios)]))
seed("wmi", "select-nothing", query(1, 0, []))
seed("wmi", "select-short-instances",
     query(1, 3, [instance(bios), instance(bios[:1], reported=5), instance([prop("X", 5, v_real64(1e15))])]))
seed("wmi", "conversion-fails", query(0, 1, [instance([prop("Size", 20, v_wide(5000000000)), bios[0]])]))
seed("wmi", "open-fails", query(2, 1, [], open_fail=" Invalid class \r\n"))
seed("wmi", "custom-select", query(0, 1, [instance(bios[:2])], sep=b",", custom="SELECT Name FROM Win32_Processor"))

# ---- number_text: separator, mode, value ----


def num_double(d, sep=b"."):
    return sep + b"\x00" + struct.pack("<d", d)


def num_digits(digits, exponent, negative=False, sep=b"."):
    # digits * 10^(exponent); the target reads the exponent as byte - 24 - 16.
    return sep + (b"\x82" if negative else b"\x02") + struct.pack("<Q", digits) + u8(exponent + 40)


seed("number_text", "clock", num_double(2993.659968))
seed("number_text", "fixed-low-edge", num_double(0.0001))
seed("number_text", "scientific-low", num_double(0.00001))
seed("number_text", "scientific-high", num_digits(15 * 10**15, 4, negative=True))
seed("number_text", "fixed-high-edge", num_double(123456789012345.0))
seed("number_text", "rounds-to-1e15", num_digits(99999999999999999, -2))
seed("number_text", "real32-tenth", b"," + b"\x01" + struct.pack("<f", 0.1))

# ---- thousands: separator, value, form, text ----
seed("thousands", "million", b"," + u32(1234567) + b"\x00" + b"1234567")
seed("thousands", "negative-thousand", b"." + u32(-1000) + b"\x00" + b"-1000")
seed("thousands", "lowest", b" " + u32(-2147483648) + b"\x00" + b"-2147483648")
seed("thousands", "short", b"," + u32(-999) + b"\x00" + b"-999")
seed("thousands", "digits-from-bytes", b"," + u32(4294967295) + b"\x03" + bytes(range(40)))

# ---- launcher_split: shell mode, growth, instance code, command ----
PREFIX = b"%SystemRoot%\\System32\\"
for name, mode, grow, inst, cmd in [
        ("control-page", 0, 0, 42, PREFIX + b"control.exe /name Microsoft.ActionCenter /page pageSettings"),
        ("rundll-comma-blank", 0, 0, 42, b"rundll32.exe shell32.dll, Control_RunDLL Cscui.dll,,0"),
        ("shell-folder", 0, 0, 42, b"Shell:::{2559a1f1-21d7-11d4-bdaf-00c04f60b9f0} "),
        ("expanded-too-long", 1, 250, 42, PREFIX + b"taskkill /im explorer.exe"),
        ("expanded-near-limit", 1, 236, 42, PREFIX + b"mmc.exe"),
        ("refused", 0, 0, 2, b"\t control.exe   /name Microsoft.Fonts \r\n"),
        ("unterminated-expansion", 3, 0, 42, b"odbcad32.exe")]:
    seed("launcher_split", name, u8(mode) + u16(grow) + u32(inst) + cmd)

# ---- osname: flags, platform, major, minor, build, service pack, suite,
# product type, architecture, product code; then a code, architecture and
# suite for the lookups ----
PLAT = {2: 0, 1: 3, 0: 5, 3: 6}
MAJ = {5: 0, 6: 1, 4: 2, 3: 3, 7: 6, 10: 7, 0: 8}
MIN = {0: 0, 1: 1, 2: 2, 3: 6, 10: 7, 51: 8, 90: 9}
TYPE = {1: 0, 2: 1, 3: 2, 0: 3, 4: 4}
ARCH = {0: 0, 6: 1, 9: 2, 5: 3, 12: 4}


def version(platform, major, minor, build, sp, suite=0, ptype=1, arch=0, code=0, r2=False,
            ex_found=True, lookup=(10, 9, 0x80)):
    flags = (0 if ex_found else 0x10) | (0x40 if r2 else 0)
    return (u8(flags) + u8(PLAT[platform]) + u8(MAJ[major]) + u8(MIN[minor]) + u32(build) + text(sp) +
            u16(suite) + u8(TYPE[ptype]) + u8(ARCH[arch]) + u8(code if code <= 25 else 27) +
            u32(lookup[0]) + u16(lookup[1]) + u16(lookup[2]))


for name, rec in [
        ("win7-sp1-x64-ultimate", version(2, 6, 1, 7601, "Service Pack 1", 0x0100, 1, 9, 1)),
        ("vista-sp2-home-premium", version(2, 6, 0, 6002, "Service Pack 2", 0x0300, 1, 0, 3)),
        ("2008r2-enterprise", version(2, 6, 1, 7601, "Service Pack 1", 0x0112, 3, 9, 10)),
        ("2003r2-sp2-enterprise-x64", version(2, 5, 2, 3790, "Service Pack 2", 0x0112, 3, 9, r2=True)),
        ("xp-sp3-home", version(2, 5, 1, 2600, "Service Pack 3", 0x0300, 1, 0)),
        ("nt4-sp6a", version(2, 4, 0, 1381, "Service Pack 6a", ex_found=False)),
        ("98-second-edition", version(1, 4, 10, 0x040A08AE, " A ")),
        ("95-osr2", version(1, 4, 0, 0x04000457, " B")),
        ("me", version(1, 4, 90, 0x045A0BB8, " ")),
        ("win32s", version(0, 3, 10, 0, "")),
        ("win8", version(2, 6, 2, 9200, "", 0x0100, 1, 9))]:
    seed("osname", name, rec)

# ---- mac: flags, name, LANA count and numbers, then per status request
# its control byte (bit 7: a return code follows; low bits % 3: what it
# writes) and bytes ----
NAME = b"VESKPC".ljust(16, b"\0")


def status(address=None, code=0, full=False):
    writes = 2 if full else 1 if address else 0
    ctl = 0x80 + (writes + 1) % 3 if code else writes  # ctl % 3 is what it writes
    out = u8(ctl) + (u8(code) if code else b"")
    if address is not None:
        out += address if not full else address.ljust(78, b"\x55")
    return out


A, B = bytes.fromhex("001A2B344D5E"), bytes.fromhex("0AFF1001C0DE")
seed("mac", "nt-one-adapter", b"\x00" + NAME + b"\x01\x03" + status(A))
seed("mac", "nt-good-then-failed", b"\x00" + NAME + b"\x02\x00\x01" + status(A) + status(B, code=0x23))
seed("mac", "9x-failed-answers", b"\x01" + NAME + b"\x03\x00\x01\x02" + status(A) + status(B, code=5) +
     status(None, code=0))
seed("mac", "no-adapters-long-name", b"\x00" + b"ABCDEFGHIJKLMNOP" + b"\x00")
seed("mac", "no-enumeration", b"\x04" + NAME + b"\x02\x07\x08" + status(A, full=True))

# ---- icmp: set-up, callbacks, then steps (op % 6: data size, time-out,
# time-to-live, flags, host, send) ----


def host_address(a, b, c, d):
    return b"\x04\x01" + bytes([a, b, c, d])


def host_name(name):
    return b"\x04\x00" + text(name)


def send(record=b"", replies=1, error=0):
    # The fake reads the reply head (up to three records), the count and the error.
    return b"\x05" + record + u8(replies) + u8(error)


NO_SEND = b"\x05"  # an echo that never reaches the platform reads nothing


REPLY = bytes([127, 0, 0, 1]) + u32(0) + u32(1) + u16(56) + u16(0) + u32(0x00401000) + bytes([64, 0, 0, 0]) + u32(0)
seed("icmp", "ping-loopback", b"\x00\x07" + host_address(127, 0, 0, 1) + send(REPLY.ljust(84, b"P")))
seed("icmp", "sizes-ttl-name", b"\x01\x07" + b"\x00\x03" + b"\x02" + u32(300) + b"\x01" + u32(250) +
     host_name("localhost") + send(bytes(68), 0, 11010) + b"\x00\x0c" + send(bytes(48), 3))
seed("icmp", "unresolved-then-address", b"\x00\x01" + host_name("zz.invalid") + NO_SEND +
     host_address(192, 168, 0, 1) + send(REPLY.ljust(84, b"P")) + host_address(192, 168, 0, 1) +
     send(REPLY.ljust(84, b"P")))
seed("icmp", "negative-size", b"\x00\x07" + host_address(10, 0, 0, 1) + b"\x00\x0c" + send(REPLY.ljust(36, b"P")))
for name, setup in [("no-winsock", 0xF1), ("no-library", 0xF2), ("missing-entry", 0xF4), ("no-handle", 0xFA)]:
    seed("icmp", name, u8(setup))


def main():
    targets = sys.argv[1:] or sorted(seeds)
    for t in targets:
        d = os.path.join(OUT, t)
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
        for name, data in seeds[t]:
            with open(os.path.join(d, name), "wb") as f:
                f.write(data)
        print(f"{t}: {len(seeds[t])} seeds")


if __name__ == "__main__":
    main()
