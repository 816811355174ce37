#pragma once

#include <QString>

#include "spreadsheet/spreadsheettable.h"

// Reads the used rows of the first worksheet of an .xls or .xlsx file, whichever the content
// is (distributors' files are not always named for what they hold). A file that cannot be read
// gives no rows and a message naming the file and what is wrong with it.
class SpreadsheetReader
{
public:
    // Files are read into memory whole; larger ones are refused.
    static constexpr qint64 MaxFileSize = 256 * 1024 * 1024;

    static SpreadsheetTable read(const QString &path, SpreadsheetTable::Bounds bounds = {});
};
