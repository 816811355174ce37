#pragma once

#include <QByteArray>
#include <QString>

// Checks an .xls workbook stream record by record before FreeXL reads it. FreeXL 1.0 trusts the
// lengths, counts and dates it finds in the file: a damaged record makes it read past its
// buffers (a crash) or count days for minutes. Every record FreeXL interprets is checked the way
// FreeXL reads it, so what passes cannot take it outside the record.
class BiffStreamCheck
{
public:
    // Dates past this serial (31 December 9999) exist in no valid workbook.
    static constexpr double LastDateSerial = 2958465;

    // Empty when FreeXL may read the stream; otherwise what is wrong, in Chinese.
    static QString problem(const QByteArray &stream);
};
