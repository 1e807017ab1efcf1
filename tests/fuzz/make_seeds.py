#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/.

    tests/fuzz/make_seeds.py [TRACE]

TRACE is a USB transcript of orvane-cli run --simulate --trace (lines
"IN xx xx ..."); its firmware reports (report ID 4) become input-report
seeds of fuzz_receive_path. Without it the seeds of that target are kept.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode()
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def scripts():
    t = "fuzz_script_reader"
    examples = os.path.join(ROOT, "examples")
    for name in sorted(os.listdir(examples)):
        with open(os.path.join(examples, name), "rb") as f:
            write(t, name, f.read())
    write(t, "no-final-line-feed.inc", "setmem /32 0x021B0000 = 0x84180000")
    write(t, "crlf.inc", "// comment\r\nsetmem /32 0x021B0000 = 0x84180000\r\nsetmem /32 0x021B0004 = 0x1\r\n")
    write(t, "tabs-and-comment.ds", "memory\t/32\t0x40000000\t=\t0xFFFFFFFF # trailing\n#memory /32 0x1 = 0x2\n")
    write(t, "bad-address.inc", "setmem /32 0x12345678X = 0x1\n")
    write(t, "nine-digits.ds", "memory /32 0x123456789 = 0x1\n")
    write(t, "long-line.inc", "setmem /32 0x1 = 0x2 " + "x " * 400 + "\n")
    write(t, "zero-byte.inc", b"setmem /32 0x1\x00 = 0x2\n")
    write(t, "empty.inc", b"")


def hex_numbers():
    t = "fuzz_hex_number"
    for i, text in enumerate(["0x0", "0XFFFFFFFF", "0xdeadBEEF", "0x123456789", "0x", "1234",
                              "0xG1", "0x00000001", "x0", ""]):
        write(t, "seed-%02d" % i, text)


BOARD = bytes([
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
    0x85, 0x01, 0x75, 0x08, 0x95, 0x10, 0x09, 0x01, 0x91, 0x02,
    0x85, 0x02, 0x96, 0x00, 0x04, 0x09, 0x01, 0x91, 0x02,
    0x85, 0x03, 0x95, 0x04, 0x09, 0x01, 0x81, 0x02,
    0x85, 0x04, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02,
    0xC0])
FIRMWARE = bytes([
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
    0x85, 0x02, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02,
    0x85, 0x04, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02,
    0xC0])


def descriptors():
    t = "fuzz_report_descriptor"
    write(t, "board", BOARD)
    write(t, "firmware", FIRMWARE)
    write(t, "unnumbered", bytes([0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x95, 0x02, 0x91, 0x02]))
    write(t, "long-item", bytes([0xFE, 0x03, 0x10, 0x75, 0x08, 0x95, 0x75, 0x08, 0x95, 0x04, 0xB1, 0x02]))
    write(t, "push-pop", bytes([0x75, 0x08, 0x95, 0x04, 0xA4, 0x75, 0x10, 0x95, 0x02, 0x81, 0x02, 0xB4, 0x81, 0x02]))
    write(t, "cut-mid-item", BOARD[:20])
    write(t, "count-32-bit", bytes([0x75, 0x08, 0x97, 0xFF, 0xFF, 0x00, 0x00, 0x81, 0x02]))
    write(t, "empty", b"")


def record(report):
    return struct.pack("<H", len(report)) + bytes(report)


def receive(trace):
    t = "fuzz_receive_path"
    length = struct.pack("<H", 65)
    status = lambda code: [4, 0xAA, 0xBB, 0xCC, code] + [0] * 60
    write(t, "status-and-text", length + record([4] + list(b"DDR calibration\r\n")) + record(status(1)))
    write(t, "report-lengths-0-1-2", length + record([]) + record([4]) + record([4, 0x41]))
    write(t, "huge-report", struct.pack("<H", 65535) + record([4] + [0x42] * 600))
    write(t, "errors-and-timeouts", length + struct.pack("<H", 0xFFFF) + struct.pack("<H", 0xFFFE) +
          record([4] + list(b"after\r\n")))
    euro = "\u20ac".encode()
    write(t, "split-utf8", length + record([4] + list(b"A" + euro[:1])) + record([4] + list(euro[1:] + b"B")))
    write(t, "not-a-status", length + record([4, 0xAA, 0xBB, 0xCD, 1, 0x43]))
    write(t, "no-zero-byte", length + record([4] + [0x44] * 64))
    if not trace:
        return
    reports = []
    with open(trace) as f:
        for line in f:
            parts = line.split()
            if len(parts) > 2 and parts[0] == "IN" and parts[1] == "04":
                reports.append([int(x, 16) for x in parts[1:]])
    for i in range(0, len(reports), 8):
        write(t, "sim-%02d" % (i // 8), length + b"".join(record(r) for r in reports[i:i + 8]))


def text_convert():
    t = "fuzz_text_convert"
    write(t, "ascii", b"DDR calibration at 400 MHz\r\n")
    write(t, "degree-and-plusminus", "Die temperature 41 \u00b0C, window \u00b13")
    write(t, "four-byte", "ok \u2713 \U0001d11e")
    write(t, "ill-formed", b"\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xE2\x82")
    write(t, "utf16-surrogates", "\U0001d11ex".encode("utf-16-le") + b"\x00\xD8A\x00")


def cli_args():
    t = "fuzz_cli_args"
    lines = [
        ["targets"],
        ["check-script", "--target", "kt410", "--verify-dcd", "examples/lpddr4-2g-kt410.ds"],
        ["run", "--target", "KT310", "--script", "a.inc", "--simulate", "--calibrate", "528",
         "--stress", "400,528", "--read", "10000000,4", "--write", "10000000,12345678",
         "--set-voltage", "14,auto", "--save-calibration", "--save-stress", "--trace", "t.txt"],
        ["run", "--target", "KT310", "--script", "a.inc", "--simulate=dcd-nak=3,max-freq=500",
         "--density", "1GB", "--arm-speed", "1GHz", "--cs", "ALL", "--channel", "1", "--no-verify-dcd"],
        ["run", "--help"],
        ["--help"],
        ["run", "--target"],
    ]
    for i, args in enumerate(lines):
        write(t, "seed-%02d" % i, b"\0".join(a.encode() for a in args))


if __name__ == "__main__":
    scripts()
    hex_numbers()
    descriptors()
    receive(sys.argv[1] if len(sys.argv) > 1 else None)
    text_convert()
    cli_args()
