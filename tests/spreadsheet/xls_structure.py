# Checks the structure of an .xls file record by record, the way a strict reader would: the
# container (through xlrd's compound-file code), the record sizes, the sheet offset in
# BOUNDSHEET, the shared strings across CONTINUE records and the EXTSST index into them.
# Prints JSON: the problems found, the shared strings, and some sizes.
import io
import json
import struct
import sys

from xlrd import compdoc

BOF, EOF, SST, CONTINUE, EXTSST, BOUNDSHEET = 0x0809, 0x000A, 0x00FC, 0x003C, 0x00FF, 0x0085
REQUIRED_GLOBALS = {0x0042: "CODEPAGE", 0x003D: "WINDOW1", 0x0031: "FONT", 0x00E0: "XF", 0x0293: "STYLE",
                    BOUNDSHEET: "BOUNDSHEET"}
REQUIRED_SHEET = {0x0200: "DIMENSIONS", 0x023E: "WINDOW2"}

data = open(sys.argv[1], "rb").read()
problems = []
log = io.StringIO()
doc = compdoc.CompDoc(data, logfile=log)
stream = bytes(doc.get_named_stream("Workbook"))
if log.getvalue().strip():
    problems.append("compound file: " + log.getvalue().strip())
if len(stream) < 4096:
    problems.append("workbook stream shorter than 4096 bytes: %d" % len(stream))

records = []
pos = 0
while pos + 4 <= len(stream):
    kind, length = struct.unpack_from("<HH", stream, pos)
    if kind == 0 and length == 0 and not any(stream[pos:]):
        break  # padding after the last EOF
    if length > 8224:
        problems.append("record 0x%04X at %d has %d bytes" % (kind, pos, length))
    records.append((pos, kind, stream[pos + 4:pos + 4 + length]))
    pos += 4 + length

def substream(start):
    index = next(i for i, r in enumerate(records) if r[0] == start)
    out = []
    for record in records[index:]:
        out.append(record)
        if record[1] == EOF:
            break
    return out

globals_ = substream(0)
kinds = [r[1] for r in globals_]
if not globals_ or globals_[0][1] != BOF or struct.unpack_from("<HH", globals_[0][2])[1] != 0x0005:
    problems.append("stream does not start with the globals BOF")
if kinds[-1] != EOF:
    problems.append("globals do not end with EOF")
for kind, name in REQUIRED_GLOBALS.items():
    if kind not in kinds:
        problems.append("globals lack " + name)
codepage = [struct.unpack_from("<H", r[2])[0] for r in globals_ if r[1] == 0x0042]
if codepage != [1200]:
    problems.append("CODEPAGE is %s" % codepage)
fonts = kinds.count(0x0031)
xfs = kinds.count(0x00E0)
if fonts < 4 or xfs < 16:
    problems.append("%d FONT and %d XF records" % (fonts, xfs))

sheet_offsets = [struct.unpack_from("<I", r[2])[0] for r in globals_ if r[1] == BOUNDSHEET]
for offset in sheet_offsets:
    sheet = [r for r in records if r[0] == offset]
    if not sheet or sheet[0][1] != BOF or struct.unpack_from("<HH", sheet[0][2])[1] != 0x0010:
        problems.append("BOUNDSHEET offset %d is not a worksheet BOF" % offset)
        continue
    sheet_kinds = [r[1] for r in substream(offset)]
    for kind, name in REQUIRED_SHEET.items():
        if kind not in sheet_kinds:
            problems.append("sheet lacks " + name)
    if sheet_kinds[-1] != EOF:
        problems.append("sheet does not end with EOF")

strings = []
sst_index = next((i for i, r in enumerate(globals_) if r[1] == SST), None)
if sst_index is not None:
    pieces = [globals_[sst_index]]
    for record in globals_[sst_index + 1:]:
        if record[1] != CONTINUE:
            break
        pieces.append(record)
    total, unique = struct.unpack_from("<II", pieces[0][2])
    piece, offset = 0, 8
    starts = []
    for n in range(unique):
        if offset >= len(pieces[piece][2]):
            piece, offset = piece + 1, 0
        record_pos, _, body = pieces[piece]
        starts.append((record_pos + 4 + offset, 4 + offset))
        if offset + 3 > len(body):
            problems.append("string %d: length and flags split across records" % n)
            break
        count, flags = struct.unpack_from("<HB", body, offset)
        offset += 3
        if flags & 0x0C:
            problems.append("string %d: unexpected rich-text or extended flags" % n)
        wide = flags & 1
        units = []
        while len(units) < count:
            if offset >= len(body):
                if units and 0xD800 <= units[-1] <= 0xDBFF:
                    problems.append("string %d: surrogate pair split across records" % n)
                piece += 1
                record_pos, _, body = pieces[piece]
                wide, offset = body[0] & 1, 1
            size = 2 if wide else 1
            take = min((len(body) - offset) // size, count - len(units))
            if take == 0:
                problems.append("string %d: character split across records" % n)
                break
            if wide:
                units.extend(struct.unpack_from("<%dH" % take, body, offset))
            else:
                units.extend(body[offset:offset + take])
            offset += take * size
        strings.append(struct.pack("<%dH" % len(units), *units).decode("utf-16-le", errors="replace"))
    if offset != len(pieces[piece][2]) or piece != len(pieces) - 1:
        problems.append("bytes left over after the last shared string")

    ext = [r for r in globals_ if r[1] == EXTSST]
    if not ext:
        problems.append("no EXTSST")
    else:
        body = ext[0][2]
        per_bucket = struct.unpack_from("<H", body)[0]
        buckets = [struct.unpack_from("<IH", body, 2 + 8 * k) for k in range((len(body) - 2) // 8)]
        expected = [starts[k] for k in range(0, len(starts), per_bucket)]
        if per_bucket < 8 or [tuple(b) for b in buckets] != expected:
            problems.append("EXTSST buckets %s do not point at strings %s" % (buckets[:4], expected[:4]))

header_difat_sectors = struct.unpack_from("<I", data, 72)[0]
print(json.dumps({
    "problems": problems,
    "strings": strings,
    "streamSize": len(stream),
    "difatSectors": header_difat_sectors,
}, ensure_ascii=False))
