# Prints the formats of the first sheet of an .xls file as JSON, as a strict reader sees them:
# per used row its height in points and the bold flag and size of its first cell's font, and the
# widths of the columns that have one, in characters.
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
rows = {}
for r in range(sheet.nrows):
    cells = [c for c in range(sheet.ncols) if sheet.cell_value(r, c) != ""]
    if not cells:
        continue
    font = book.font_list[book.xf_list[sheet.cell_xf_index(r, cells[0])].font_index]
    info = sheet.rowinfo_map.get(r)
    rows[r] = {"bold": bool(font.bold), "size": font.height / 20.0,
               "height": info.height / 20.0 if info is not None else 0}
columns = {c: round(info.width / 256.0, 2) for c, info in sheet.colinfo_map.items()}
print(json.dumps({"rows": rows, "columns": columns}))
