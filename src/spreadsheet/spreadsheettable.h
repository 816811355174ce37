#pragma once

#include <QList>
#include <QString>

#include "spreadsheet/spreadsheetcell.h"

// The used rows of a worksheet as read from a file, or why the file could not be read. Rows and
// columns count from 0; the table reaches to the last row and the last column that hold a
// non-empty cell, and any cell inside that is not in the file reads as empty.
class SpreadsheetTable
{
public:
    // Reading stops at this many cell places (rows times their used width), so that a damaged
    // or hostile file cannot take all memory.
    static constexpr qsizetype MaxCellPlaces = 4'000'000;

    static SpreadsheetTable failure(const QString &message);

    bool ok() const { return m_error.isEmpty(); }
    QString errorMessage() const { return m_error; }

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return m_columnCount; }
    // An empty cell outside the table.
    const SpreadsheetCell &cell(int row, int column) const;
    // The texts of one row, columnCount() of them.
    QStringList rowTexts(int row) const;

    // For readers: an empty cell is ignored and does not widen the table. False when the cell
    // would pass MaxCellPlaces.
    bool setCell(int row, int column, const SpreadsheetCell &cell);

private:
    QList<QList<SpreadsheetCell>> m_rows;
    int m_columnCount = 0;
    qsizetype m_places = 0;
    QString m_error;
};
