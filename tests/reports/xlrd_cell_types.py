# Prints, as JSON, every non-empty cell of the first sheet of an .xls file as xlrd (a reader
# independent of ours) types it: "text", "number" or "date", its value (a date as yyyy-mm-dd)
# and the number format its cell format carries.
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
kinds = {xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number", xlrd.XL_CELL_DATE: "date"}
cells = {}
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype not in kinds:
            continue
        value = cell.value
        if cell.ctype == xlrd.XL_CELL_DATE:
            value = "%04d-%02d-%02d" % xlrd.xldate_as_tuple(cell.value, book.datemode)[:3]
        format_key = book.xf_list[cell.xf_index].format_key
        cells["%d,%d" % (r, c)] = {"kind": kinds[cell.ctype], "value": value,
                                   "format": book.format_map[format_key].format_str}
print(json.dumps(cells, ensure_ascii=False))
