#!/usr/bin/env python3
"""Generate the pinyin initial tables used to derive search initials.

Usage: make_pinyin_tables.py [Unihan_Readings.txt.bz2] [output file]

Defaults: /usr/share/unicode/Unihan_Readings.txt.bz2 (Debian package
unicode-data) and src/text/pinyin_tables.txt under the repository root.

Output: UTF-8 without BOM, LF line ends, exactly 24 lines:
  <letter>TAB<characters>   for a b c d e f g h j k l m n o p q r s t w x y z
  fallback TAB<characters>
Each table holds the Han characters of the GBK code page whose Mandarin
reading starts with that letter (zh/ch/sh count as z/c/s), in GBK code order,
without separators. There are no tables for i, u and v. The fallback line
lists every double-byte GBK character from 压 (D1B9) up to but excluding
匝 (D4D1); characters without a table entry in that range read as "y".
The reading is the first of kMandarin, else kHanyuPinyin, else kXHC1983;
a compatibility ideograph without one takes the reading of its unified form.
"""
import bz2
import os
import sys
import unicodedata

LETTERS = "abcdefghjklmnopqrstwxyz"
FIELDS = ("kMandarin", "kHanyuPinyin", "kXHC1983")
FALLBACK_LOW, FALLBACK_HIGH = 0xD1B9, 0xD4D1  # 压 inclusive .. 匝 exclusive


def load_readings(path):
    """Map each character to its first reading from the preferred field."""
    found = {}  # char -> {field: first reading}
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            if field not in FIELDS:
                continue
            first = value.split()[0]              # entries are space-separated
            if ":" in first:                      # "10019.020:tiān,tiàn"
                first = first.split(":", 1)[1]
            first = first.split(",")[0]
            found.setdefault(chr(int(code[2:], 16)), {})[field] = first
    return {c: next(r[k] for k in FIELDS if k in r) for c, r in found.items()}


def initial(reading):
    # NFD splits ü, ê, ḿ, ń, ň, ǹ and the tone marks into base letter + marks.
    base = "".join(ch for ch in unicodedata.normalize("NFD", reading)
                   if not unicodedata.combining(ch))
    return base[0].lower()


def gbk_chars():
    """Yield (code, char) for every double-byte GBK character in code order."""
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            raw = bytes((lead, trail))
            try:
                ch = raw.decode("gbk")
            except UnicodeDecodeError:
                continue
            if len(ch) == 1 and ch.encode("gbk") == raw:
                yield (lead << 8) | trail, ch


def is_han(ch):
    return unicodedata.name(ch, "").startswith(
        ("CJK UNIFIED IDEOGRAPH", "CJK COMPATIBILITY IDEOGRAPH"))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    src = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode/Unihan_Readings.txt.bz2"
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "src/text/pinyin_tables.txt")
    assert "压".encode("gbk") == b"\xd1\xb9" and "匝".encode("gbk") == b"\xd4\xd1"

    readings = load_readings(src)
    tables = {letter: [] for letter in LETTERS}
    fallback, no_reading, no_table = [], 0, 0
    for code, ch in gbk_chars():
        assert ord(ch) <= 0xFFFF, ch
        if FALLBACK_LOW <= code < FALLBACK_HIGH:
            fallback.append(ch)
        if not is_han(ch):
            continue
        # A compatibility ideograph (rows FD/FE) reads like its unified form.
        reading = readings.get(ch) or readings.get(unicodedata.normalize("NFD", ch))
        if not reading:
            no_reading += 1
            continue
        letter = initial(reading)
        if letter in tables:
            tables[letter].append(ch)
        else:
            assert letter in "iuv", (ch, reading)
            no_table += 1

    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        for letter in LETTERS:
            f.write(letter + "\t" + "".join(tables[letter]) + "\n")
        f.write("fallback\t" + "".join(fallback) + "\n")

    for letter in LETTERS:
        print(f"{letter}\t{len(tables[letter])}")
    print("distinct characters:", len(set().union(*tables.values())))
    print("GBK Han characters without reading:", no_reading)
    print("GBK Han characters with initial i/u/v:", no_table)
    print("fallback characters:", len(fallback))


if __name__ == "__main__":
    main()
