"""A small writer of Microsoft Jet 4.0 database files, for test fixtures only.

The old program kept its data in two password-protected Jet 4.0 files. No such file may be
shipped with the tests, so the tests write their own: a header page with the database password
masked as Jet 4 masks it, the system catalogue MSysObjects, one table-definition page per table,
data pages, and long-value (LVAL) pages for memo texts of every storage kind (inline, one page,
a chain of pages). Texts are UTF-16 (texts that fit in one byte per character use Jet 4's
Unicode compression), dates are doubles counting days from 1899-12-30, and every row carries
its NULL bitmap. Indexes are not written: readers scan the data pages.

Standard library only.
"""

import datetime
import struct

PAGE_SIZE = 4096
EPOCH = datetime.datetime(1899, 12, 30)

TEXT = 0x0A
MEMO = 0x0C
DATETIME = 0x08
LONGINT = 0x04
INT = 0x03
OLE = 0x0B

_FIXED_SIZE = {DATETIME: 8, LONGINT: 4, INT: 2}

# Memo texts up to this many bytes stay inside the row, as Jet does for short ones.
INLINE_MEMO_LIMIT = 64
# The most one LVAL page holds of a chained memo: page header, one offset, the next-page pointer.
CHAIN_CHUNK = PAGE_SIZE - 14 - 2 - 4
SINGLE_PAGE_LIMIT = PAGE_SIZE - 14 - 2


def rc4(key, data):
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) % 256
        state[i], state[j] = state[j], state[i]
    out = bytearray(data)
    x = y = 0
    for n in range(len(out)):
        x = (x + 1) % 256
        y = (y + state[x]) % 256
        state[x], state[y] = state[y], state[x]
        out[n] ^= state[(state[x] + state[y]) % 256]
    return bytes(out)


HEADER_KEY = bytes([0xC7, 0xDA, 0x39, 0x6B])


def to_days(value):
    """A date or date-time as Jet's double; a float is taken as already stored."""
    if isinstance(value, float):
        return value
    if isinstance(value, datetime.datetime):
        delta = value - EPOCH
    else:
        delta = datetime.datetime(value.year, value.month, value.day) - EPOCH
    return delta.days + delta.seconds / 86400.0


def encode_text(text):
    """UTF-16LE, or Jet 4's compressed form when every character fits in one byte."""
    if text and all(1 <= ord(c) <= 0xFF for c in text):
        return b"\xff\xfe" + text.encode("latin-1")
    return text.encode("utf-16-le")


class Column:
    def __init__(self, name, kind, width=0):
        self.name = name
        self.kind = kind
        self.width = width  # characters, for text

    @property
    def fixed(self):
        return self.kind in _FIXED_SIZE


class Table:
    def __init__(self, name, columns, system=False):
        self.name = name
        self.columns = columns
        self.system = system
        self.rows = []
        self.tdef_page = None


class _Pages:
    def __init__(self):
        self.pages = []

    def new(self):
        self.pages.append(bytearray(PAGE_SIZE))
        return len(self.pages) - 1


def _data_page(owner_marker):
    page = bytearray(PAGE_SIZE)
    page[0] = 0x01
    page[1] = 0x01
    page[4:8] = owner_marker
    return page


class _RowPage:
    """A data (or LVAL) page being filled with rows from its end towards its header."""

    def __init__(self, marker):
        self.page = _data_page(marker)
        self.count = 0
        self.top = PAGE_SIZE

    def fits(self, size):
        return self.count < 255 and self.top - size >= 14 + 2 * (self.count + 1)

    def add(self, row):
        self.top -= len(row)
        self.page[self.top:self.top + len(row)] = row
        struct.pack_into("<H", self.page, 14 + 2 * self.count, self.top)
        self.count += 1
        struct.pack_into("<H", self.page, 12, self.count)
        struct.pack_into("<H", self.page, 2, self.top - (14 + 2 * self.count))
        return self.count - 1


class JetWriter:
    def __init__(self, password="", created=datetime.datetime(2008, 3, 1, 9, 30)):
        self.password = password
        self.created = created
        self.tables = []
        catalogue_columns = [
            Column("Id", LONGINT), Column("ParentId", LONGINT), Column("Name", TEXT, 128),
            Column("Type", INT), Column("Flags", LONGINT), Column("LvProp", OLE),
        ]
        self.catalogue = Table("MSysObjects", catalogue_columns, system=True)

    def add_table(self, name, columns):
        table = Table(name, columns)
        self.tables.append(table)
        return table

    # -- header ------------------------------------------------------------------------------

    def _header(self):
        page = bytearray(PAGE_SIZE)
        page[0:4] = b"\x00\x01\x00\x00"
        page[4:20] = b"Standard Jet DB\x00"
        page[0x14] = 0x01  # Jet 4
        plain = bytearray(128)
        # Offsets below are from the page start; plain[] starts at 0x18.
        struct.pack_into("<H", plain, 0x3C - 0x18, 936)  # code page of the clinic's Windows
        struct.pack_into("<I", plain, 0x3E - 0x18, 0)  # database key 0: pages not encrypted
        days = to_days(self.created)
        struct.pack_into("<d", plain, 0x72 - 0x18, days)
        struct.pack_into("<I", plain, 0x6E - 0x18, 0x0804)  # Chinese (PRC) sort order
        secret = self.password.encode("utf-16-le")[:40].ljust(40, b"\x00")
        mask = struct.pack("<i", int(days))
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(secret))
        plain[0x42 - 0x18:0x42 - 0x18 + 40] = masked
        page[0x18:0x18 + 128] = rc4(HEADER_KEY, bytes(plain))
        return page

    # -- rows -------------------------------------------------------------------------------

    def _layout(self, table):
        fixed_offset = 0
        var_index = 0
        for number, column in enumerate(table.columns):
            column.number = number
            if column.fixed:
                column.fixed_offset = fixed_offset
                column.var_index = 0
                fixed_offset += _FIXED_SIZE[column.kind]
            else:
                column.fixed_offset = 0
                column.var_index = var_index
                var_index += 1
        table.fixed_size = fixed_offset
        table.var_count = var_index

    def _memo_field(self, data, lvals):
        if len(data) <= INLINE_MEMO_LIMIT:
            return struct.pack("<I", len(data) | 0x80000000) + b"\x00" * 8 + data
        if len(data) <= SINGLE_PAGE_LIMIT:
            pointer = lvals.single(data)
            return struct.pack("<I", len(data) | 0x40000000) + struct.pack("<I", pointer) + b"\x00" * 4
        pointer = lvals.chain(data)
        return struct.pack("<I", len(data)) + struct.pack("<I", pointer) + b"\x00" * 4

    def _row(self, table, values, lvals):
        n = len(table.columns)
        fixed = bytearray(table.fixed_size)
        var_parts = []
        nullmask = bytearray((n + 7) // 8)
        for column, value in zip(table.columns, values):
            if value is not None:
                nullmask[column.number // 8] |= 1 << (column.number % 8)
            if column.fixed:
                if value is None:
                    continue
                if column.kind == DATETIME:
                    fixed[column.fixed_offset:column.fixed_offset + 8] = struct.pack("<d", to_days(value))
                elif column.kind == LONGINT:
                    fixed[column.fixed_offset:column.fixed_offset + 4] = struct.pack("<i", value)
                elif column.kind == INT:
                    fixed[column.fixed_offset:column.fixed_offset + 2] = struct.pack("<h", value)
            else:
                if value is None:
                    var_parts.append(b"")
                elif column.kind == TEXT:
                    var_parts.append(encode_text(value))
                elif column.kind == MEMO:
                    var_parts.append(self._memo_field(value.encode("utf-16-le"), lvals))
                elif column.kind == OLE:
                    var_parts.append(self._memo_field(value, lvals))
        body = bytearray(struct.pack("<H", n)) + fixed
        offsets = []
        for part in var_parts:
            offsets.append(len(body))
            body += part
        eod = len(body)
        tail = bytearray(struct.pack("<H", eod))
        for offset in reversed(offsets):
            tail += struct.pack("<H", offset)
        tail += struct.pack("<H", len(var_parts))
        return bytes(body + tail + nullmask)

    # -- table definitions ------------------------------------------------------------------

    def _tdef(self, table, row_count, usage_pointer):
        head = bytearray(63)
        head[0] = 0x02
        head[1] = 0x01
        struct.pack_into("<I", head, 16, row_count)
        head[40] = 0x53 if table.system else 0x4E
        n = len(table.columns)
        struct.pack_into("<H", head, 41, n)
        struct.pack_into("<H", head, 43, table.var_count)
        struct.pack_into("<H", head, 45, n)
        struct.pack_into("<I", head, 47, 0)
        struct.pack_into("<I", head, 51, 0)
        struct.pack_into("<I", head, 55, usage_pointer)
        struct.pack_into("<I", head, 59, usage_pointer)
        body = bytearray()
        for column in table.columns:
            entry = bytearray(25)
            entry[0] = column.kind
            struct.pack_into("<H", entry, 5, column.number)
            struct.pack_into("<H", entry, 7, column.var_index)
            struct.pack_into("<H", entry, 9, column.number)
            if column.kind in (TEXT, MEMO):
                struct.pack_into("<H", entry, 11, 0x0804)
                entry[16] = 0x01  # Unicode compression allowed
            entry[15] = (0x01 if column.fixed else 0) | 0x02
            struct.pack_into("<H", entry, 21, column.fixed_offset)
            if column.fixed:
                size = _FIXED_SIZE[column.kind]
            elif column.kind == TEXT:
                size = column.width * 2
            else:
                size = 0
            struct.pack_into("<H", entry, 23, size)
            body += entry
        for column in table.columns:
            name = column.name.encode("utf-16-le")
            body += struct.pack("<H", len(name)) + name
        data = head + body
        if len(data) > PAGE_SIZE:
            raise ValueError("table definition of %s does not fit one page" % table.name)
        struct.pack_into("<I", data, 8, len(data) - 8)
        struct.pack_into("<H", data, 2, PAGE_SIZE - len(data) - 8)
        page = bytearray(PAGE_SIZE)
        page[:len(data)] = data
        return page

    @staticmethod
    def _usage_map(pages):
        """A type-0 usage map naming the data pages of a table (type 1 when they span too far)."""
        if not pages:
            return b"\x00" + struct.pack("<I", 0) + b"\x00" * 64
        first = min(pages)
        span = max(pages) - first + 1
        if span <= 3800 * 8:
            bitmap = bytearray(max(64, (span + 7) // 8))
            for page in pages:
                bit = page - first
                bitmap[bit // 8] |= 1 << (bit % 8)
            return b"\x00" + struct.pack("<I", first) + bytes(bitmap)
        raise ValueError("too many pages for one usage map")

    # -- the file ---------------------------------------------------------------------------

    def write(self, path):
        pages = [self._header(), None, None]  # page 1: usage maps; page 2: the catalogue's definition
        lvals = _LvalPages(pages)

        def table_pages(table, rows):
            self._layout(table)
            owned = []
            current = None
            for values in rows:
                row = self._row(table, values, lvals)
                if len(row) > PAGE_SIZE - 16:
                    raise ValueError("row too long for one page in %s" % table.name)
                if current is None or not current.fits(len(row)):
                    current = _RowPage(struct.pack("<I", table.tdef_page))
                    pages.append(current.page)
                    owned.append(len(pages) - 1)
                current.add(row)
            return owned

        # Table definitions first, so the catalogue can name their pages.
        self.catalogue.tdef_page = 2
        for table in self.tables:
            pages.append(None)
            table.tdef_page = len(pages) - 1

        owners = {}
        for table in self.tables:
            owners[table.name] = table_pages(table, table.rows)
        catalogue_rows = []
        for number, table in enumerate(self.tables):
            catalogue_rows.append([table.tdef_page, 0x0F000000 | 1, table.name, 1, 0, None])
        catalogue_rows.append([2, 0x0F000000 | 1, "MSysObjects", 1, 0x80000002 - (1 << 32), None])
        owners["MSysObjects"] = table_pages(self.catalogue, catalogue_rows)

        maps = _RowPage(struct.pack("<I", 0))
        pointers = {}
        for table in [self.catalogue] + self.tables:
            row = self._usage_map(owners[table.name])
            if not maps.fits(len(row)):
                raise ValueError("usage maps do not fit one page")
            pointers[table.name] = (1 << 8) | maps.add(row)
        pages[1] = maps.page

        pages[2] = self._tdef(self.catalogue, len(catalogue_rows), pointers["MSysObjects"])
        for table in self.tables:
            pages[table.tdef_page] = self._tdef(table, len(table.rows), pointers[table.name])

        with open(path, "wb") as out:
            for page in pages:
                out.write(bytes(page))


class _LvalPages:
    """Memo texts too long for their row, on LVAL pages shared by the whole file."""

    def __init__(self, pages):
        self.pages = pages
        self.current = None

    def _place(self, row):
        if self.current is None or not self.current.fits(len(row)):
            self.current = _RowPage(b"LVAL")
            self.pages.append(self.current.page)
            self.current_number = len(self.pages) - 1
        number = self.current.add(row)
        return (self.current_number << 8) | number

    def single(self, data):
        return self._place(data)

    def chain(self, data):
        # Written from the tail, so each piece can point at the next one.
        chunks = [data[i:i + CHAIN_CHUNK] for i in range(0, len(data), CHAIN_CHUNK)]
        pointer = 0
        for chunk in reversed(chunks):
            self.current = None  # each piece on a page of its own, as Jet chains them
            pointer = self._place(struct.pack("<I", pointer) + chunk)
        self.current = None
        return pointer
