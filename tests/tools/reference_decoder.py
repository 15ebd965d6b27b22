#!/usr/bin/env python3
"""Independent reference model of the Fennox stream decoder.

Written from the behaviour described for the decoder in plain prose, not from
the C++ sources, so that a differential test can compare the two and catch
mistakes in either.  Python 3 standard library only.

Entry point: decode(stream_bytes, on_switches, min_text, max_text, clock)
returns (monitor_bytes, bitstream_bytes), the exact bytes fennox-decode writes
to stdout and to its --bitstream-out file.
"""

import re

SWITCH_NAMES = (
    "time", "binaer", "bitstream", "schrott", "only_once", "filter",
    "schaltbefehle", "nur_on", "lokbefehle_s", "lokbefehle_f", "railcom",
    "idle", "sonstige", "cv", "mot", "dcc_stream",
)

# Texts grow only up to this many characters; beyond it characters are not
# stored, so a track without packet starts cannot exhaust memory.
TEXT_LIMIT = 65536

RX_BUFFER_SIZE = 127
CHUNK_SIZE = 50

INT32_MIN = -2147483648
INT32_MAX = 2147483647

# fullmatch, not "$": a trailing newline is text after the number.
_INT_RE = re.compile(r" *([+-]?)(?:(\$|0x|0X|x|X)([0-9A-Fa-f]+)|([0-9]+))")


def read_integer(text):
    """Integer value of a filter or bound text; 0 for anything not an integer.

    Leading spaces, an optional sign, then decimal digits or a hexadecimal
    number after "$", "x", "X", "0x" or "0X".  Values outside int32 give 0.
    """
    m = _INT_RE.fullmatch(text)
    if not m:
        return 0
    sign, prefix, hexdigits, decdigits = m.groups()
    value = int(hexdigits, 16) if prefix else int(decdigits, 10)
    if sign == "-":
        value = -value
    if value < INT32_MIN or value > INT32_MAX:
        return 0
    return value


class HeadlessHost:
    """The window's state as far as the decoder sees it."""

    def __init__(self, on_switches=(), min_text="0", max_text="9999",
                 clock_text="00:00:00:000"):
        self.switch = {name: False for name in SWITCH_NAMES}
        for name in on_switches:
            name = name.strip().lower()
            if not name:
                continue
            if name not in self.switch:
                raise ValueError("unknown switch %r" % name)
            self.switch[name] = True
        self.min_text = min_text
        self.max_text = max_text
        # The bounds follow the field texts as the change handlers set them.
        self.filter_min = read_integer(min_text)
        self.filter_max = read_integer(max_text)
        self.clock_text = clock_text
        self.monitor = []    # lines as bytes (one byte per Latin-1 character)
        self.bitstream = []  # lines as bytes

    def on(self, name):
        return self.switch[name]

    def set_switch(self, name, state):
        self.switch[name] = state


def _bits_of(value):
    return format(value & 0xFF, "08b").encode("ascii")


class StreamDecoder:
    """The one stream decoder: framing, bit assembly, classification."""

    def __init__(self, host):
        self.host = host
        self.packet_text = bytearray()
        self.bitstream_text = bytearray()
        self.gap_text = bytearray()
        self.packet_complete = False
        self.in_packet = False
        self.ones_count = 0
        self.bit_index = 0
        self.byte_count = 0
        self.mot_count = 0
        self.mot_bytes = [0] * 20
        self.last_packet = b""

    def reset_assembler(self):
        self.ones_count = 0
        self.bit_index = 0
        self.in_packet = False

    # ----------------------------------------------------------- framing
    def process_chunk(self, entries, n):
        host = self.host
        scratch = []
        carried = 0
        pos = 0
        while pos < n:
            consumed = False
            if pos < n - 6:
                if entries[pos] == 0xAA and entries[pos + 1] == 0xAA and entries[pos + 2] == 0xAA:
                    self.show_device_info(entries[pos + 3], entries[pos + 4], entries[pos + 5])
                    pos += 5
                    consumed = True
            else:
                if entries[pos] == 0xAA:
                    tail = entries[pos:n]
                    entries[0:len(tail)] = tail
                    carried = n - pos
                    # The walk stops here: the tail is looked at again in the
                    # next chunk, from its first entry.
                    break
            if not consumed:
                scratch.append(_bits_of(entries[pos]))
                if host.on("mot"):
                    look_ahead = entries[pos + 3] if pos + 3 < n else -1
                    self.collect_motorola_byte(entries[pos], look_ahead)
            pos += 1
        if host.on("dcc_stream"):
            for ch in b"".join(scratch):
                self.assemble_bit(ch)
        return carried

    def collect_motorola_byte(self, e, f):
        if e == 0xFF and f != 0xFF:
            if self.mot_count > 5:
                if self.host.on("schaltbefehle"):
                    self.format_motorola(self.mot_bytes, self.mot_count, True)
                else:
                    self.format_motorola(self.mot_bytes, self.mot_count, False)
            self.mot_count = 0
            return
        if self.mot_count < 20:
            self.mot_bytes[self.mot_count] = e
            self.mot_count += 1
        else:
            self.mot_count = 0

    # ------------------------------------------------------ device info
    def show_device_info(self, version, parameter, mode):
        host = self.host
        if mode == 0x6D:  # 'm'
            host.set_switch("mot", True)
            host.set_switch("dcc_stream", False)
            if parameter < 8:
                host.set_switch("schaltbefehle", True)
            else:
                host.set_switch("schaltbefehle", False)
                host.set_switch("lokbefehle_f", True)
        elif mode == 0x65:  # 'e'
            host.set_switch("mot", False)
            host.set_switch("dcc_stream", True)
        # The version text is not part of either log.

    # ------------------------------------------------------ bit assembler
    def _append_limited(self, text, ch):
        if len(text) < TEXT_LIMIT:
            text.append(ch)

    def assemble_bit(self, c):
        # c is the character code 0x31 ('1') or 0x30 ('0')
        if c == 0x31:
            self.ones_count += 1
        else:
            if self.ones_count > 8:
                self.show_bitstream_line(self.bitstream_text)
                self.bitstream_text = bytearray()
                self.show_garbage(self.gap_text)
                self.gap_text = bytearray()
                self.in_packet = True
                self.bit_index = -1
                self.packet_text = bytearray(b"<")
                self.byte_count = 0
            self.ones_count = 0
        if len(self.bitstream_text) < TEXT_LIMIT:
            self.bitstream_text.append(c)
        if self.bit_index == 8 and self.in_packet:
            self.bit_index = 0
            self.byte_count += 1
            if c == 0x31:
                self._append_limited(self.packet_text, 0x3E)  # '>'
                self.in_packet = False
                self.packet_complete = True
            else:
                self._append_limited(self.packet_text, 0x20)
        elif self.in_packet:
            if self.bit_index >= 0:
                self._append_limited(self.packet_text, c)
            self.bit_index += 1
        else:
            if len(self.gap_text) < TEXT_LIMIT:
                self.gap_text.append(c)
        if self.packet_complete:
            self.decode_packet(bytes(self.packet_text), self.byte_count)
            self.packet_complete = False

    def show_bitstream_line(self, text):
        if self.host.on("bitstream") and len(text) > 0:
            self.host.bitstream.append(bytes(text))

    def show_garbage(self, text):
        if self.host.on("schrott") and len(text) > 0:
            if b"0" in text:
                self.host.monitor.append(b"Schrott: " + bytes(text))
            else:
                self.host.monitor.append(b"Pr\xe4ambel: " + bytes(text))

    # ------------------------------------------------- packet classifier
    def decode_packet(self, text, n):
        host = self.host
        on = host.on
        if n < 2 or n > 10 or 9 * n >= len(text):
            self.show_garbage(text)
            return
        if on("only_once") and text == self.last_packet:
            return
        hold = on("filter")
        b = [int(text[1 + 9 * k:9 + 9 * k], 2) for k in range(n)]
        # A byte the packet does not hold reads as 0.
        b += [0] * (4 - len(b)) if len(b) < 4 else []
        b0, b1 = b[0], b[1]

        if (b0 & 0xC0) == 0x80 and n == 3:
            kind = "accessory"
        elif b0 == 0x00 and b1 == 0x00:
            kind = "reset"
        elif b0 == 0xFF:
            kind = "idle"
        elif (b0 & 0xC0) == 0xC0 and n >= 4:
            kind = "long"
        elif (b0 & 0xFC) == 0x78:
            kind = "cv_bit"
        elif (b0 & 0xFC) == 0x74:
            kind = "cv_verify"
        elif (b0 & 0xFC) == 0x7C:
            kind = "cv_write"
        elif (b0 & 0x80) == 0:
            kind = "short"
        else:
            kind = "unclassified"

        railcom = kind == "accessory" and (b1 & 0x80) == 0

        instr = None
        if kind in ("short", "long"):
            if kind == "short":
                i_byte, next_byte = b1, b[2]
            else:
                i_byte, next_byte = b[2], b[3]
            if (i_byte & 0xC0) == 0x80:
                instr = ("fgroup", i_byte)
            elif i_byte == 0xDE:
                instr = ("f13", next_byte)
            elif i_byte == 0xDF:
                instr = ("f21", next_byte)
            elif (i_byte & 0xC0) == 0x40:
                instr = ("speed28", i_byte)
            elif i_byte == 0x3F:
                instr = ("speed128", next_byte)
            else:
                instr = ("other", None)

        # Display gates
        has_row = False
        if kind == "accessory":
            has_row = True
            if not on("schaltbefehle"):
                return
        if instr is not None and instr[0] in ("speed28", "speed128"):
            has_row = True
            if not on("lokbefehle_s"):
                return
        if instr is not None and instr[0] in ("fgroup", "f13", "f21"):
            has_row = True
            if not on("lokbefehle_f"):
                return
        if railcom:
            has_row = True
            if not on("railcom"):
                return
        if kind == "idle":
            has_row = True
            if not on("idle"):
                return
        if kind in ("cv_bit", "cv_verify", "cv_write"):
            has_row = True
            if not on("cv"):
                return
        if not has_row and not on("sonstige"):
            return

        self.last_packet = text

        line = bytearray()
        if on("time"):
            line += host.clock_text.encode("latin-1") + b" "
        if on("binaer"):
            line += b" " + str(n).encode() + b" Bytes " + b" " + text + b" "

        released = not hold
        if kind in ("short", "long"):
            if kind == "short":
                addr = b0
            else:
                addr = (b0 - 192) * 256 + b1
            line += b"Lok %5i " % addr
            what, arg = instr
            if what == "fgroup":
                line += format_function_group(arg)
            elif what == "f13":
                line += format_functions(arg, 13)
            elif what == "f21":
                line += format_functions(arg, 21)
            elif what == "speed28":
                line += format_speed28(arg)
            elif what == "speed128":
                line += format_speed128(arg)
            if host.filter_min <= addr <= host.filter_max:
                released = True
        elif railcom:
            line += b"RailCom NOP"
            released = True
        elif kind == "accessory":
            t = self.format_accessory(b0, b1, host.filter_max, host.filter_min)
            if t:
                line += t
                released = True
        elif kind == "idle":
            line += b"Idle Packet"
            released = True
        elif kind == "reset":
            line += b"Broadcast Reset Packet"
            released = True
        elif kind == "cv_bit":
            b2 = b[2]
            line += b"CV %i Manipulation: " % (b1 + 1)
            bitno = b2 & 0x07
            if b2 & 0x10:
                if b2 & 0x08:
                    line += b"Set Bit %i to HIGH" % bitno
                else:
                    line += b"Set Bit %i to LOW" % bitno
            else:
                if b2 & 0x08:
                    line += b"Verify if Bit %i is HIGH" % bitno
                else:
                    line += b"Verify if Bit %i is LOW" % bitno
            released = True
        elif kind == "cv_verify":
            b2 = b[2]
            line += b"Verify if CV %i = %i (0x%x) " % (b1 + 1, b2, b2)
            released = True
        elif kind == "cv_write":
            b2 = b[2]
            line += b"Write CV %i = %i (0x%x) " % (b1 + 1, b2, b2)
            released = True
        # unclassified: nothing appended, hold unchanged

        if len(line) > 0 and released:
            host.monitor.append(bytes(line))

    def format_accessory(self, b0, b1, upper, lower):
        t = bytearray(b"Schalten: ")
        d = b0 & 0x3F
        p = (b1 & 0x06) >> 1
        number = 4 * d + p + 1
        if not b1 & 0x10:
            number += 256
        if not b1 & 0x20:
            number += 512
        if not b1 & 0x40:
            number += 1024
        number -= 4
        t += b"%5i [Dekoder=%i Ausgang=%i] " % (number, d, p + 1)
        t += b"G " if b1 & 0x01 else b"R "
        if b1 & 0x08:
            t += b"Ein "
        else:
            if self.host.on("nur_on"):
                return b""
            t += b"Aus "
        if not self.host.on("filter"):
            return bytes(t)
        if lower <= number <= upper:
            return bytes(t)
        return b""

    # ----------------------------------------------------------- Motorola
    def format_motorola(self, entries, n, switch):
        host = self.host
        suppress = host.on("filter")
        lower = read_integer(host.min_text)
        upper = read_integer(host.max_text)
        if n < 6 or n > 9:
            return
        chars = bytes(e & 0xFF for e in entries[0:n - 3])
        digits = 0
        count = 0
        for ch in chars:
            if 0x30 <= ch <= 0x39:
                digits = digits * 10 + (ch - 0x30)
                count += 1
            else:
                break
        address = digits  # all digits: their whole decimal value
        if switch:
            if entries[n - 4] == 0x2A:
                command = chars + b" EIN "
            else:
                command = chars + b" " + b" AUS "
        else:
            command = chars
        line = bytearray()
        if host.on("time"):
            line += b"[" + host.clock_text.encode("latin-1") + b"] "
        if host.on("binaer"):
            line += b"<" + _bits_of(entries[n - 1]) + b" " + _bits_of(entries[n - 2]) + \
                b" " + _bits_of(entries[n - 3]) + b"> "
        line += (b"Schalten " if switch else b"Lok ") + command
        if lower <= address <= upper:
            suppress = False
        if len(line) > 0 and not suppress:
            host.monitor.append(bytes(line))


def format_function_group(i):
    t = bytearray(b"F-Befehl: ")
    if not i & 0x20:
        if i & 0x10:
            t += b"F "
        for bit, label in ((0, b"F1 "), (1, b"F2 "), (2, b"F3 "), (3, b"F4 ")):
            if i & (1 << bit):
                t += label
    elif i & 0x10:
        for bit in range(4):
            if i & (1 << bit):
                t += b"F%i " % (5 + bit)
    else:
        for bit in range(4):
            if i & (1 << bit):
                t += b"F%i " % (9 + bit)
    return bytes(t)


def format_functions(d, first):
    t = bytearray(b"F-Befehl: ")
    for k in range(8):
        if d & (1 << k):
            t += b"F%i " % (first + k)
    return bytes(t)


def format_speed28(i):
    t = bytearray(b"(28 Step) Vorw.  " if i & 0x20 else b"(28 Step) R\xfcckw. ")
    s = 2 * (i & 0x0F) + ((i >> 4) & 1)
    if s == 0:
        t += b"Halt %3i " % 0
    elif s == 1:
        t += b"Stop (I) "
    elif s == 2:
        t += b"E-Stop "
    elif s == 3:
        t += b"E-Stop (I) "
    else:
        t += b"Speed %3i " % (s - 3)
    return bytes(t)


def format_speed128(d):
    t = bytearray(b"(128 Step) Vorw.  " if d & 0x80 else b"(128 Step) R\xfcckw. ")
    v = d & 0x7F
    if v == 0:
        t += b"Halt %3i " % 0
    elif v >= 2:
        t += b"Speed %3i " % (v - 1)
    return bytes(t)


def clock_text_of(clock):
    """'12:34:56.789' -> '12:34:56:789' (the decoder's time text)."""
    hh, mm, rest = clock.split(":")
    ss, ms = rest.split(".")
    return "%s:%s:%s:%s" % (hh, mm, ss, ms)


def _lines_to_bytes(lines):
    return b"".join(line.decode("latin-1").encode("utf-8") + b"\n" for line in lines)


def decode(stream_bytes, on_switches, min_text="0", max_text="9999", clock="00:00:00.000"):
    """Decode a recorded stream as the window would, through the collection step.

    Returns (monitor_bytes, bitstream_bytes) as UTF-8 with one "\n" per line.
    """
    host = HeadlessHost(on_switches, min_text, max_text, clock_text_of(clock))
    dec = StreamDecoder(host)
    rx = [0] * RX_BUFFER_SIZE
    rx_count = 0
    for byte in stream_bytes:
        if rx_count < RX_BUFFER_SIZE:
            rx[rx_count] = byte
            rx_count += 1
        if rx_count >= CHUNK_SIZE:
            rx_count = dec.process_chunk(rx, rx_count)
    return _lines_to_bytes(host.monitor), _lines_to_bytes(host.bitstream)


if __name__ == "__main__":
    import argparse
    import sys
    ap = argparse.ArgumentParser(description="reference model of fennox-decode")
    ap.add_argument("--on", default="")
    ap.add_argument("--min", default="0")
    ap.add_argument("--max", default="9999")
    ap.add_argument("--clock", default="00:00:00.000")
    ap.add_argument("--bitstream-out")
    ap.add_argument("file", nargs="?", default="-")
    args = ap.parse_args()
    data = sys.stdin.buffer.read() if args.file == "-" else open(args.file, "rb").read()
    mon, bits = decode(data, [s for s in args.on.split(",") if s.strip()],
                       args.min, args.max, args.clock)
    sys.stdout.buffer.write(mon)
    if args.bitstream_out:
        with open(args.bitstream_out, "wb") as f:
            f.write(bits)
