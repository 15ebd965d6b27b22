#!/usr/bin/env python3
"""Differential test: fennox-decode against the Python reference model.

Builds random but realistic device streams (DCC packets of every kind with
preambles, bit errors and garbage, Device info records, Motorola records),
random switch sets and random filter texts, runs fennox-decode on each, and
compares its stdout and its --bitstream-out file byte for byte with the model.

Usage: differential_test.py --decoder PATH [--seed N] [--count N] [--index I]
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

# Keep the source folder free of bytecode caches.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_decoder  # noqa: E402

CLI_SWITCHES = (
    "time", "binaer", "bitstream", "schrott", "only_once", "filter",
    "schaltbefehle", "nur_ON", "lokbefehle_s", "lokbefehle_f", "railcom",
    "idle", "sonstige", "cv", "mot", "dcc_stream",
)

FIXED_FILTER_TEXTS = (
    "", " 12", "12a", "$1F", "-5", "0x10", "-$10", "+7", "2147483647",
    "2147483648", "-2147483648", "-2147483649", "99999999999", "0", "9999",
    "3", "100", "1234", "10", "20", " ", "  -3", "0X7fffffff", "$80000000",
    "-$80000000", "x1f", "X1F", "+0x10", "- 5", "1 ", "$", "0x", "+", "-",
    "12 3", "\t12", "$g", "0x-1", "2044", "-3", "255", "80", "0b11", "1e3",
    "00012", "+-1",
)


# --------------------------------------------------------------- packets
def xor_of(data):
    x = 0
    for v in data:
        x ^= v
    return x


def with_xor(rng, data):
    data = list(data)
    if rng.random() < 0.9:
        data.append(xor_of(data))
    return data


def loco_address(rng):
    """Address bytes of a short or long address locomotive."""
    if rng.random() < 0.5:
        return [rng.choice([rng.randint(1, 111), rng.randint(0, 127), 3, 0])]
    addr = rng.choice([rng.randint(0, 10239), 1234, rng.randint(100, 300)])
    return [0xC0 | ((addr >> 8) & 0x3F), addr & 0xFF]


def random_packet(rng):
    kind = rng.randint(0, 24)
    if kind == 0:
        return [0xFF, 0x00, 0xFF]
    if kind == 1:
        return [0x00, 0x00, 0x00]
    if kind in (2, 3):  # 28-step speed
        return with_xor(rng, loco_address(rng) + [0x40 | rng.randint(0, 0x3F)])
    if kind in (4, 5):  # 128-step speed
        return with_xor(rng, loco_address(rng) + [0x3F, rng.randint(0, 255)])
    if kind in (6, 7):  # F0-F12
        return with_xor(rng, loco_address(rng) + [0x80 | rng.randint(0, 0x3F)])
    if kind == 8:  # F13-F20
        return with_xor(rng, loco_address(rng) + [0xDE, rng.randint(0, 255)])
    if kind == 9:  # F21-F28
        return with_xor(rng, loco_address(rng) + [0xDF, rng.randint(0, 255)])
    if kind == 10:  # other instructions
        return with_xor(rng, loco_address(rng) + [rng.choice([0xE4, 0x00, 0x1F, 0x3E, 0xF0, rng.randint(0, 255)])])
    if kind in (11, 12):  # accessory
        b0 = 0x80 | rng.randint(0, 0x3F)
        b1 = 0x80 | rng.randint(0, 0x7F)
        return [b0, b1, b0 ^ b1]
    if kind == 13:  # RailCom NOP / accessory with b1 bit 7 clear
        b0 = 0x80 | rng.randint(0, 0x3F)
        b1 = rng.randint(0, 0x7F)
        return [b0, b1, b0 ^ b1]
    if kind == 14:  # CV write
        return with_xor(rng, [0x7C | rng.randint(0, 3), rng.randint(0, 255), rng.randint(0, 255)])
    if kind == 15:  # CV verify
        return with_xor(rng, [0x74 | rng.randint(0, 3), rng.randint(0, 255), rng.randint(0, 255)])
    if kind == 16:  # CV bit manipulation
        return with_xor(rng, [0x78 | rng.randint(0, 3), rng.randint(0, 255),
                              rng.choice([0xE0 | rng.randint(0, 0x1F), rng.randint(0, 255)])])
    if kind == 17:  # two-byte packets whose kind wants a third byte
        return [rng.choice([0x74, 0x78, 0x7C, 0x7F, rng.randint(0, 0x7F), 0x00]),
                rng.choice([0xDE, 0xDF, 0x3F, 0x00, rng.randint(0, 255)])]
    if kind == 18:  # too short
        return [rng.randint(0, 255)]
    if kind == 19:  # too long
        return [rng.randint(0, 255) for _ in range(rng.randint(10, 14))]
    if kind == 20:  # unclassified and odd shapes
        n = rng.randint(2, 10)
        return [rng.randint(0, 255) for _ in range(n)]
    if kind == 21:  # accessory-looking with 4 bytes, long-looking with 3
        return rng.choice([[0x80 | rng.randint(0, 63), rng.randint(0, 255), 0, 0],
                           [0xC0 | rng.randint(0, 62), rng.randint(0, 255), rng.randint(0, 255)]])
    if kind == 22:  # address 0 with b1 not 0, reset with longer body
        return rng.choice([[0x00, rng.randint(1, 255), rng.randint(0, 255)],
                           [0x00, 0x00, rng.randint(0, 255), rng.randint(0, 255)]])
    if kind == 23:  # last byte 0xFF: its end bit makes a run of nine
        return [rng.randint(0, 127), rng.randint(0, 255), 0xFF]
    return [0xFF, 0x00, 0xFF]


def packet_bits(rng, data):
    bits = ["1"] * rng.choice([rng.randint(8, 22), 14, 10, 9])
    for v in data:
        bits.append("0")
        bits.append(format(v, "08b"))
    bits.append("1")
    return "".join(bits)


def dcc_bits(rng, n_packets):
    pieces = []
    last = None
    flip_rate = rng.choice([0.0, 0.0, 0.001, 0.005, 0.02])
    for _ in range(n_packets):
        r = rng.random()
        if r < 0.15 and last is not None:
            data = last  # repeat, as command stations do
        else:
            data = random_packet(rng)
        last = data
        pieces.append(packet_bits(rng, data))
        r = rng.random()
        if r < 0.05:
            pieces.append("".join(rng.choice("01") for _ in range(rng.randint(1, 40))))
        elif r < 0.07:
            pieces.append("0" * rng.randint(1, 30))
        elif r < 0.09:
            pieces.append("1" * rng.randint(1, 30))
    bits = list("".join(pieces))
    if flip_rate:
        for i in range(len(bits)):
            if rng.random() < flip_rate:
                bits[i] = "1" if bits[i] == "0" else "0"
    bits = "".join(bits)
    bits += "1" * (-len(bits) % 8)
    return [int(bits[i:i + 8], 2) for i in range(0, len(bits), 8)]


# ---------------------------------------------------------- device records
def device_info(rng):
    mode = rng.choice([0x65, 0x65, 0x6D, 0x6D, ord("x"), 0x00, 0xAA, 0xFF])
    param = rng.choice([rng.randint(0, 7), 7, 8, rng.randint(8, 255), 0])
    return [0xAA, 0xAA, 0xAA, rng.randint(0, 255), param, mode]


def motorola_record(rng):
    kind = rng.random()
    if kind < 0.6:
        text = [ord(c) for c in str(rng.randint(0, 999))][: rng.randint(1, 6)]
        while len(text) < rng.randint(2, 6):
            text.append(ord(rng.choice("0123456789")))
        text.append(ord(rng.choice("*-*+ ")))
    elif kind < 0.8:
        text = [rng.choice([rng.randint(48, 57), rng.randint(32, 126), 42])
                for _ in range(rng.randint(0, 8))]
    else:
        text = [rng.randint(0, 255) for _ in range(rng.randint(0, 22))]
    raw = [rng.choice([rng.randint(0, 255), 0xFF, 0xAA, 0x00]) for _ in range(3)]
    rec = text + raw
    if rng.random() < 0.9:
        rec.append(0xFF)
    return rec


def motorola_bytes(rng, n_records):
    out = []
    for _ in range(n_records):
        out += motorola_record(rng)
        if rng.random() < 0.05:
            out += [0xFF] * rng.randint(1, 6)
    return out


# ------------------------------------------------------------ whole stream
def random_stream(rng):
    body = []
    shape = rng.random()
    if shape < 0.02:
        # A long stretch without any packet start: texts reach their bound.
        fill = rng.choice([0xFF, 0x00, 0x55])
        body = [fill] * rng.randint(8200, 9500) + dcc_bits(rng, 5)
    else:
        sections = rng.randint(1, 4)
        for _ in range(sections):
            r = rng.random()
            if r < 0.6:
                body += dcc_bits(rng, rng.randint(5, 60))
            elif r < 0.85:
                if rng.random() < 0.7:
                    body += device_info(rng)[:5] + [0x6D]
                body += motorola_bytes(rng, rng.randint(3, 40))
            else:
                body += [rng.randint(0, 255) for _ in range(rng.randint(10, 200))]
    # Scatter device info records, 0xAA runs and 0xFF bytes, with a bias
    # towards the end of a 50-byte chunk where framing carries the tail.
    inserts = rng.randint(0, 6)
    for _ in range(inserts):
        if rng.random() < 0.5:
            pos = rng.randint(0, max(0, len(body) // 50)) * 50 + rng.randint(40, 52)
        else:
            pos = rng.randint(0, len(body))
        pos = min(pos, len(body))
        r = rng.random()
        if r < 0.5:
            item = device_info(rng)
        elif r < 0.75:
            item = [0xAA] * rng.randint(1, 8)
        elif r < 0.9:
            item = [0xFF] * rng.randint(1, 4)
        else:
            item = device_info(rng)[:rng.randint(3, 5)]  # cut short
        body[pos:pos] = item
    if rng.random() < 0.3:
        body = device_info(rng) + body
    return bytes(body)


def random_filter_text(rng):
    r = rng.random()
    if r < 0.7:
        return rng.choice(FIXED_FILTER_TEXTS)
    if r < 0.85:
        return str(rng.randint(-20, 3000))
    alphabet = " +-$xX0123456789abcdefABCDEFg"
    return "".join(rng.choice(alphabet) for _ in range(rng.randint(0, 8)))


def random_case(rng):
    stream = random_stream(rng)
    switches = [s for s in CLI_SWITCHES if rng.random() < 0.5]
    if "dcc_stream" not in switches and rng.random() < 0.5:
        switches.append("dcc_stream")
    # Vary the spelling: names are matched without regard to case.
    switches = [s.upper() if rng.random() < 0.1 else s for s in switches]
    rng.shuffle(switches)
    min_text = random_filter_text(rng) if rng.random() < 0.8 else None
    max_text = random_filter_text(rng) if rng.random() < 0.8 else None
    clock = "%02d:%02d:%02d.%03d" % (rng.randint(0, 23), rng.randint(0, 59),
                                     rng.randint(0, 59), rng.randint(0, 999))
    return stream, switches, min_text, max_text, clock


# ---------------------------------------------------------------- running
def cli_args(rng, switches, min_text, max_text, clock):
    """Command line for one case, in the spellings the tool accepts."""
    items = list(switches)
    if rng.random() < 0.1:
        items.insert(rng.randint(0, len(items)), "")  # empty items are ignored
    args = []
    for name, value in (("--on", ",".join(items)), ("--clock", clock),
                        ("--min", min_text), ("--max", max_text)):
        if value is None:
            continue
        if rng.random() < 0.2:
            args.append("%s=%s" % (name, value))
        else:
            args += [name, value]
    return args


def run_decoder(decoder, stream, args, tmpdir):
    in_path = os.path.join(tmpdir, "stream.bin")
    bits_path = os.path.join(tmpdir, "bitstream.txt")
    with open(in_path, "wb") as f:
        f.write(stream)
    if os.path.exists(bits_path):
        os.remove(bits_path)
    proc = subprocess.run([decoder] + args + ["--bitstream-out", bits_path, in_path],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    bits = b""
    if os.path.exists(bits_path):
        with open(bits_path, "rb") as f:
            bits = f.read()
    return proc.returncode, proc.stdout, bits, proc.stderr


def run_model(stream, switches, min_text, max_text, clock):
    return reference_decoder.decode(
        stream, switches,
        "0" if min_text is None else min_text,
        "9999" if max_text is None else max_text,
        clock)


def first_difference(expected, actual):
    exp_lines = expected.split(b"\n")
    act_lines = actual.split(b"\n")
    for i in range(max(len(exp_lines), len(act_lines))):
        e = exp_lines[i] if i < len(exp_lines) else None
        a = act_lines[i] if i < len(act_lines) else None
        if e != a:
            return i + 1, e, a
    return None


def show(line):
    if line is None:
        return "(no line)"
    return repr(line.decode("utf-8", "replace"))


def self_check():
    """The model against worked examples of the decoder's behaviour."""
    rd = reference_decoder
    assert rd.format_function_group(0x9F) == b"F-Befehl: F F1 F2 F3 F4 "
    assert rd.format_function_group(0xB5) == b"F-Befehl: F5 F7 "
    assert rd.format_function_group(0xA8) == b"F-Befehl: F12 "
    assert rd.format_function_group(0x80) == b"F-Befehl: "
    assert rd.format_functions(0x81, 21) == b"F-Befehl: F21 F28 "
    assert rd.format_speed28(0x60) == b"(28 Step) Vorw.  Halt   0 "
    assert rd.format_speed28(0x41) == b"(28 Step) R\xfcckw. E-Stop "
    assert rd.format_speed28(0x7F) == b"(28 Step) Vorw.  Speed  28 "
    assert rd.format_speed28(0x70) == b"(28 Step) Vorw.  Stop (I) "
    assert rd.format_speed128(0x80) == b"(128 Step) Vorw.  Halt   0 "
    assert rd.format_speed128(0x81) == b"(128 Step) Vorw.  "
    assert rd.format_speed128(0xFF) == b"(128 Step) Vorw.  Speed 126 "
    assert rd.format_speed128(0x05) == b"(128 Step) R\xfcckw. Speed   4 "
    for text, value in (("", 0), (" 12", 12), ("12a", 0), ("$1F", 31), ("-5", -5),
                        ("0x10", 16), ("-$10", -16), ("+7", 7), ("2147483648", 0),
                        ("-2147483648", -2147483648), ("12\n", 0), ("\t1", 0)):
        assert rd.read_integer(text) == value, text

    def packet(data, preamble=14):
        return "1" * preamble + "".join("0" + format(v, "08b") for v in data) + "1"

    def stream(bits):
        bits += "1" * (-len(bits) % 8 + 400)
        return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))

    mon, _ = rd.decode(stream(packet([0xFF, 0x00, 0xFF])), ["dcc_stream", "idle", "time", "binaer"],
                       "0", "9999", "12:34:56.789")
    assert mon.split(b"\n")[0] == b"12:34:56:789  3 Bytes  <11111111 00000000 11111111> Idle Packet", mon
    bits = (packet([3, 0x75, 0x76]) + packet([0xC4, 0xD2, 0x80, 0x96]) +
            packet([0x78, 0x1C, 0xF9, 0x00]) + packet([0x7C, 0x00, 0x03, 0x7F]) +
            packet([0x81, 0xF9, 0x78]) + packet([0x80, 0xF0, 0x70]))
    mon, _ = rd.decode(stream(bits), ["dcc_stream", "lokbefehle_s", "lokbefehle_f", "cv",
                                      "schaltbefehle"], "0", "9999", "00:00:00.000")
    assert mon.split(b"\n")[:6] == [
        b"Lok     3 (28 Step) Vorw.  Speed   8 ",
        b"Lok  1234 F-Befehl: ",
        b"CV 29 Manipulation: Set Bit 1 to HIGH",
        b"Write CV 1 = 3 (0x3) ",
        b"Schalten:     1 [Dekoder=1 Ausgang=1] G Ein ",
        b"Schalten:    -3 [Dekoder=0 Ausgang=1] R Aus "], mon
    mot = bytes([0xAA, 0xAA, 0xAA, 118, 1, 0x6D, 0x31, 0x32, 0x2A, 0x05, 0x80, 0xC0, 0xFF] + [0] * 40)
    mon, _ = rd.decode(mot, ["binaer"], "0", "9999", "00:00:00.000")
    assert mon == b"<11000000 10000000 00000101> Schalten 12* EIN \n", mon


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--decoder", required=True, help="path of fennox-decode")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=300)
    ap.add_argument("--index", type=int, default=None,
                    help="run only the stream with this index (for reproducing)")
    ap.add_argument("--keep", default=None,
                    help="folder to copy the input of a failing stream into")
    opts = ap.parse_args()
    self_check()

    indices = [opts.index] if opts.index is not None else range(opts.count)
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="fennox-diff-") as tmpdir:
        for i in indices:
            rng = random.Random("%d/%d" % (opts.seed, i))
            stream, switches, min_text, max_text, clock = random_case(rng)
            args = cli_args(rng, switches, min_text, max_text, clock)
            rc, out, bits, err = run_decoder(opts.decoder, stream, args, tmpdir)
            exp_out, exp_bits = run_model(stream, switches, min_text, max_text, clock)
            problems = []
            if rc != 0:
                problems.append("exit status %d, stderr %r" % (rc, err[:300]))
            for name, exp, act in (("stdout", exp_out, out), ("bitstream", exp_bits, bits)):
                if exp != act:
                    line_no, e, a = first_difference(exp, act)
                    problems.append("%s differs at line %d\n  expected (model): %s\n  actual (fennox-decode): %s"
                                    % (name, line_no, show(e), show(a)))
            if problems:
                failed += 1
                print("MISMATCH seed=%d index=%d (%d bytes)" % (opts.seed, i, len(stream)))
                print("  args: %s" % " ".join(repr(a) for a in args))
                if len(stream) <= 200:
                    print("  stream: %s" % stream.hex())
                if opts.keep:
                    os.makedirs(opts.keep, exist_ok=True)
                    path = os.path.join(opts.keep, "seed%d_index%d.bin" % (opts.seed, i))
                    with open(path, "wb") as f:
                        f.write(stream)
                    print("  stream saved to %s" % path)
                for p in problems:
                    print("  " + p)
            else:
                passed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
