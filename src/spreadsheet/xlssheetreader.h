#pragma once

#include <QByteArray>

#include "spreadsheet/spreadsheettable.h"

// The first worksheet of an Excel 97-2003 workbook (.xls, BIFF8 or BIFF5), read through FreeXL
// once the container and the records have been checked. Dates come as their text (yyyy-mm-dd),
// as FreeXL gives them.
class XlsSheetReader
{
public:
    // The whole file's content. On failure the message says what is wrong, without naming the file.
    static SpreadsheetTable read(const QByteArray &fileContent, SpreadsheetTable::Bounds bounds = {});
};
