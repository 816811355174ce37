#pragma once

#include <freexl.h>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// Readers independent of ours, and the parts of hand-made .xlsx packages, for the suites that
// check the spreadsheet files the program writes and reads.

// What FreeXL finds in a file's first sheet: texts as text, numbers as double, dates as QDate.
struct FreeXlSheet
{
    int status = FREEXL_OK;
    unsigned int rows = 0;
    unsigned short columns = 0;
    QHash<QPair<int, int>, QVariant> cells;
};

FreeXlSheet readWithFreeXl(const QString &path);

// Deflated zip members, enough for a small .xlsx package.
bool writeZip(const QString &file, const QList<QPair<QString, QByteArray>> &members);

// The two package parts every .xlsx has: content types and the relationship to xl/workbook.xml.
QByteArray xlsxContentTypes();
QByteArray xlsxPackageRelationships();
