#pragma once

#include <QList>
#include <QString>

#include "spreadsheet/spreadsheetcell.h"

// The used rows of a worksheet as read from a file, or why the file could not be read. Rows and
// columns count from 0; the table reaches to the last row and the last column that hold a
// non-empty cell (within its bounds), and any cell inside that is not in the file reads as empty.
class SpreadsheetTable
{
public:
    // Reading stops at this many cell places (rows times their used width), so that a damaged
    // or hostile file cannot take all memory.
    static constexpr qsizetype MaxCellPlaces = 4'000'000;
    // The largest sheet the formats allow.
    static constexpr int MaxColumns = 16384;
    static constexpr int MaxRows = 1048576;

    // What a caller needs of a sheet: its leading columns (cells to the right are never stored)
    // and at most so many rows (a cell below them refuses the file), so that what a file declares
    // never decides the memory.
    struct Bounds
    {
        int columns = MaxColumns;
        int rows = MaxRows;
    };

    SpreadsheetTable();
    explicit SpreadsheetTable(Bounds bounds);
    static SpreadsheetTable failure(const QString &message);

    bool ok() const { return m_error.isEmpty(); }
    QString errorMessage() const { return m_error; }

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return m_columnCount; }
    // An empty cell outside the table.
    const SpreadsheetCell &cell(int row, int column) const;
    // The texts of one row, columnCount() of them.
    QStringList rowTexts(int row) const;

    // For readers: an empty cell, or one right of the bounds, is ignored and does not widen the
    // table. False when the cell lies below the bounds or would pass MaxCellPlaces; then
    // overflowMessage() says which, in Chinese.
    bool setCell(int row, int column, const SpreadsheetCell &cell);
    int columnBound() const { return m_bounds.columns; }
    QString overflowMessage() const;

private:
    Bounds m_bounds;
    bool m_tooManyRows = false;
    QList<QList<SpreadsheetCell>> m_rows;
    int m_columnCount = 0;
    qsizetype m_places = 0;
    QString m_error;
};
