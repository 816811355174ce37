#include "spreadsheet/spreadsheettable.h"

#include <QStringList>

SpreadsheetTable::SpreadsheetTable() = default;

SpreadsheetTable::SpreadsheetTable(Bounds bounds)
    : m_bounds(bounds)
{
}

QString SpreadsheetTable::overflowMessage() const
{
    if (m_tooManyRows)
        return QStringLiteral("表格太大（超过%1行），无法导入。").arg(m_bounds.rows);
    return QStringLiteral("表格太大（超过%1个单元格），无法导入。").arg(MaxCellPlaces);
}

SpreadsheetTable SpreadsheetTable::failure(const QString &message)
{
    SpreadsheetTable table;
    table.m_error = message;
    return table;
}

const SpreadsheetCell &SpreadsheetTable::cell(int row, int column) const
{
    static const SpreadsheetCell empty;
    if (row < 0 || row >= m_rows.size() || column < 0)
        return empty;
    const QList<SpreadsheetCell> &cells = m_rows.at(row);
    return column < cells.size() ? cells.at(column) : empty;
}

QStringList SpreadsheetTable::rowTexts(int row) const
{
    QStringList texts;
    texts.reserve(m_columnCount);
    for (int column = 0; column < m_columnCount; ++column)
        texts.append(cell(row, column).text);
    return texts;
}

bool SpreadsheetTable::setCell(int row, int column, const SpreadsheetCell &cell)
{
    if (row < 0 || column < 0)
        return false;
    if (cell.isEmpty() || column >= m_bounds.columns)
        return true;
    if (row >= m_bounds.rows) {
        m_tooManyRows = true;
        return false;
    }
    const qsizetype newRows = qMax<qsizetype>(0, row + 1 - m_rows.size());
    const qsizetype width = row < m_rows.size() ? m_rows.at(row).size() : 0;
    const qsizetype newPlaces = newRows + qMax<qsizetype>(0, column + 1 - width);
    if (m_places + newPlaces > MaxCellPlaces)
        return false;
    m_places += newPlaces;
    if (newRows > 0)
        m_rows.resize(row + 1);
    QList<SpreadsheetCell> &cells = m_rows[row];
    if (column >= cells.size())
        cells.resize(column + 1);
    cells[column] = cell;
    m_columnCount = qMax(m_columnCount, column + 1);
    return true;
}
