# Reads a workbook with xlrd, a reader independent of ours, and prints as JSON what the tests
# compare: every non-empty cell with its font, the row heights, the column widths, and any
# warning xlrd logged while reading.
import io
import json
import sys

import xlrd

log = io.StringIO()
book = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log, verbosity=0)
sheet = book.sheet_by_index(0)
cells = []
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype == xlrd.XL_CELL_EMPTY or cell.ctype == xlrd.XL_CELL_BLANK:
            continue
        font = book.font_list[book.xf_list[cell.xf_index].font_index]
        cells.append({
            "row": r, "column": c,
            "text": cell.value if cell.ctype == xlrd.XL_CELL_TEXT else None,
            "number": cell.value if cell.ctype == xlrd.XL_CELL_NUMBER else None,
            "bold": bool(font.bold), "fontTwips": font.height, "fontName": font.name,
        })
print(json.dumps({
    "warnings": log.getvalue(),
    "sheetName": sheet.name,
    "rows": sheet.nrows,
    "columns": sheet.ncols,
    "cells": cells,
    "rowHeights": {str(r): {"twips": info.height, "custom": bool(info.height_mismatch)}
                   for r, info in sheet.rowinfo_map.items()},
    "columnWidths": {str(c): info.width for c, info in sheet.colinfo_map.items()},
}, ensure_ascii=False))
