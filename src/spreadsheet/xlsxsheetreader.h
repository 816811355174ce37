#pragma once

#include <QByteArray>

#include "spreadsheet/spreadsheettable.h"

// The first worksheet of an .xlsx (Office Open XML) workbook: finds it through the workbook's
// sheet order and relationships, and reads shared strings (rich text runs joined, phonetic
// guides left out), inline strings, numbers and booleans.
class XlsxSheetReader
{
public:
    // Parts are not unpacked past this size, so that a small file cannot expand to fill memory.
    static constexpr qint64 MaxPartSize = 256 * 1024 * 1024;

    // Shared strings are not kept past this many.
    static constexpr qsizetype MaxSharedStrings = SpreadsheetTable::MaxCellPlaces;

    // On failure the message says what is wrong, without naming the file.
    static SpreadsheetTable read(const QByteArray &fileContent, SpreadsheetTable::Bounds bounds = {});
};
