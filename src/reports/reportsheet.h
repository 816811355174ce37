#pragma once

#include <QMap>
#include <QPair>
#include <QString>

// The one worksheet a report export writes: texts by row and column, the format of rows and the
// width of columns, rows and columns counted from 0.
class ReportSheet
{
public:
    // Zero leaves the workbook's default font size or row height.
    struct RowFormat
    {
        bool bold = false;
        double pointSize = 0;
        double height = 0;

        bool operator==(const RowFormat &other) const = default;
    };

    void setText(int row, int column, const QString &text);
    void setRowFormat(int row, const RowFormat &format);
    // Width in characters of the default font's digit "0".
    void setColumnWidth(int column, double characters);

    QString text(int row, int column) const;
    // The texts by (row, column).
    const QMap<QPair<int, int>, QString> &cells() const { return m_cells; }
    const QMap<int, RowFormat> &rowFormats() const { return m_rowFormats; }
    const QMap<int, double> &columnWidths() const { return m_columnWidths; }

private:
    QMap<QPair<int, int>, QString> m_cells;
    QMap<int, RowFormat> m_rowFormats;
    QMap<int, double> m_columnWidths;
};
