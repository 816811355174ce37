#include "reports/reportsheet.h"

void ReportSheet::setText(int row, int column, const QString &text)
{
    m_cells.insert({row, column}, text);
}

void ReportSheet::setRowFormat(int row, const RowFormat &format)
{
    m_rowFormats.insert(row, format);
}

void ReportSheet::setColumnWidth(int column, double characters)
{
    m_columnWidths.insert(column, characters);
}

QString ReportSheet::text(int row, int column) const
{
    return m_cells.value({row, column});
}
