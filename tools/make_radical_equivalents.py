#!/usr/bin/env python3
"""Generate the radical-to-ideograph table used to repair the text layer of PDF files.

Usage: make_radical_equivalents.py [EquivalentUnifiedIdeograph.txt] [output file]

Defaults: /usr/share/unicode/EquivalentUnifiedIdeograph.txt (Debian package
unicode-data) and src/print/radical_equivalents.txt under the repository root.

CJK fonts draw a radical and its ideograph with one glyph (⻔ and 门, ⽅ and 方).
Qt's PDF writer names each glyph by its lowest code point, so a PDF would
read back ⻔诊处⽅ for 门诊处方. The table lets the PDF export put the
ideograph back.

Output: UTF-8 without BOM, LF line ends, one line per radical:
  <radical>TAB<ideograph>
Only pairs where both sides lie in the Basic Multilingual Plane are kept, so
the repair rewrites four hex digits with four hex digits.
"""
import os
import sys


def pairs(path):
    with open(path, encoding="utf-8") as source:
        for line in source:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            codes, target = (part.strip() for part in line.split(";"))
            first, _, last = codes.partition("..")
            unified = int(target, 16)
            for code in range(int(first, 16), int(last or first, 16) + 1):
                if code <= 0xFFFF and unified <= 0xFFFF:
                    yield code, unified


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    source = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode/EquivalentUnifiedIdeograph.txt"
    target = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "src", "print", "radical_equivalents.txt")
    with open(target, "w", encoding="utf-8", newline="\n") as output:
        for code, unified in pairs(source):
            output.write(f"{chr(code)}\t{chr(unified)}\n")


if __name__ == "__main__":
    main()
