#pragma once

#include <QString>

#include "spreadsheet/spreadsheettable.h"

// The first worksheet of an Excel 97-2003 workbook (.xls, BIFF8 or BIFF5), read through FreeXL.
// Dates come as their text (yyyy-mm-dd), as FreeXL gives them.
class XlsSheetReader
{
public:
    // On failure the message says what is wrong, without naming the file.
    static SpreadsheetTable read(const QString &path);
};
