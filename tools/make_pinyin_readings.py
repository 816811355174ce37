#!/usr/bin/env python3
"""Generate the table of every initial letter a Han character can be read with.

Usage: make_pinyin_readings.py [Unihan_Readings.txt.bz2] [pinyin_tables.txt] [output file]

Defaults: /usr/share/unicode/Unihan_Readings.txt.bz2 (Debian package
unicode-data), src/text/pinyin_tables.txt and src/text/pinyin_readings.txt
under the repository root. Regenerate the tables first when both change: the
stored search keys follow the tables, so their letter leads every set here.

Output: UTF-8 without BOM, LF line ends, one line per distinct letter set:
  <letters>TAB<characters>
The letters are distinct lower-case initials (zh/ch/sh count as z/c/s). The
first is the letter the tables give the character (the first table holding
it, or "y" in the 压–匝 fallback range), then the others in alphabetical
order; a character the tables do not know starts with the letter of its
first reading. Characters stand in code point order, supplementary ones
included. Lines are sorted by their letters.

Readings are all values of kMandarin, kHanyuPinyin and kXHC1983; a
compatibility ideograph reads like its unified form. Covered are all CJK
unified and compatibility ideographs with a reading, and every character of
the tables and the fallback range.
"""
import bz2
import os
import sys
import unicodedata

from make_pinyin_tables import FALLBACK_HIGH, FALLBACK_LOW, FIELDS, LETTERS, gbk_chars, initial, is_han


def load_all_readings(path):
    """Map each character to the set of initials of all its readings, and to its first initial."""
    found = {}  # char -> {field: [initials in order]}
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            if field not in FIELDS:
                continue
            letters = []
            for entry in value.split():            # "10019.020:tiān,tiàn 10020.030:…"
                if ":" in entry:
                    entry = entry.split(":", 1)[1]
                letters.extend(initial(r) for r in entry.split(",") if r)
            found.setdefault(chr(int(code[2:], 16)), {})[field] = letters
    result = {}
    for ch, fields in found.items():
        ordered = [letter for field in FIELDS for letter in fields.get(field, [])]
        result[ch] = (ordered[0], set(ordered))
    return result


def load_table_letters(path):
    """The letter the shipped tables give each character: the first table that holds it wins."""
    letters, fallback = {}, set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, chars = line.rstrip("\n").partition("\t")
            if key == "fallback":
                fallback.update(chars)
            elif key in LETTERS:
                for ch in chars:
                    letters.setdefault(ch, []).append(key)
    table_letter = {ch: min(keys, key=LETTERS.index) for ch, keys in letters.items()}
    return table_letter, fallback


def covered_characters(readings):
    """Every Han character with a reading of its own or of its unified form."""
    for ch in readings:
        if is_han(ch):
            yield ch
    for block in (range(0xF900, 0xFB00), range(0x2F800, 0x2FA20)):
        for code in block:
            ch = chr(code)
            unified = unicodedata.normalize("NFD", ch)
            if ch not in readings and unified != ch and unified in readings and is_han(ch):
                yield ch


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    src = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode/Unihan_Readings.txt.bz2"
    tables_path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "src/text/pinyin_tables.txt")
    out = sys.argv[3] if len(sys.argv) > 3 else os.path.join(root, "src/text/pinyin_readings.txt")

    readings = load_all_readings(src)
    table_letter, fallback_chars = load_table_letters(tables_path)
    fallback_range = {ch for code, ch in gbk_chars() if FALLBACK_LOW <= code < FALLBACK_HIGH}
    assert fallback_range == fallback_chars, "tables file and GBK disagree on the fallback range"

    sets = {}  # char -> letters, stored letter first
    for ch in set(covered_characters(readings)) | set(table_letter) | fallback_range:
        first, letters = readings.get(ch) or readings.get(unicodedata.normalize("NFD", ch)) or (None, set())
        stored = table_letter.get(ch) or ("y" if ch in fallback_range else None)
        if stored:
            first = stored
        if not first:
            continue
        assert stored is None or stored in letters or ch in fallback_range, (ch, stored, letters)
        sets[ch] = first + "".join(sorted(letters - {first}))

    groups = {}
    for ch in sorted(sets):
        groups.setdefault(sets[ch], []).append(ch)

    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        for letters in sorted(groups):
            f.write(letters + "\t" + "".join(groups[letters]) + "\n")

    several = sum(1 for s in sets.values() if len(s) > 1)
    print("characters:", len(sets))
    print("  supplementary:", sum(1 for ch in sets if ord(ch) > 0xFFFF))
    print("  with several initials:", several)
    print("  of the tables:", len(table_letter))
    print("letter sets:", len(groups))


if __name__ == "__main__":
    main()
