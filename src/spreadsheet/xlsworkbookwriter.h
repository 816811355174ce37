#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include "base/writeresult.h"
#include "spreadsheet/biffrecords.h"

class SharedStringTable;

// Writes a one-sheet Excel 97-2003 workbook (.xls): text and number cells, per-row bold, font
// size and height, column widths. Excel, WPS and LibreOffice open what it writes; the catalogue,
// log book and drug-usage exports go through it.
class XlsWorkbookWriter
{
public:
    static constexpr int MaxRows = Biff::MaxRows;
    static constexpr int MaxColumns = Biff::MaxColumns;
    static constexpr int MaxTextLength = 32767;
    static constexpr double MaxColumnWidth = 255;
    // Characters added to the longest content by autoFitColumns().
    static constexpr int AutoFitMargin = 2;

    // Zero means the workbook's default font size and the row height that goes with the font.
    struct RowFormat
    {
        bool bold = false;
        double pointSize = 0;
        double height = 0;
    };

    explicit XlsWorkbookWriter(const QString &sheetName = QStringLiteral("Sheet1"));

    // The font of every cell without a row format, and the unit of column widths.
    void setDefaultFont(const QString &name, double pointSize);

    // A cell outside the 65536 rows and 256 columns of the format, or a text longer than
    // 32767 characters, is refused and makes save() fail with the reason.
    void setText(int row, int column, const QString &text);
    void setNumber(int row, int column, double value);
    void setRowFormat(int row, const RowFormat &format);
    // Width in characters of the default font's digit "0", at most 255.
    void setColumnWidth(int column, double characters);
    // Sizes each column that holds cells to its widest content so far (see displayWidth())
    // plus AutoFitMargin.
    void autoFitColumns();

    // A CJK or other full-width character counts 2, every other character 1; for a text of
    // several lines, the widest line.
    static int displayWidth(const QString &text);
    // The path with ".xls" added unless it ends so already, in any letter case.
    static QString withExtension(const QString &path);

    // The whole file as it would be saved.
    QByteArray toBytes() const;
    // Writes beside the target and replaces the target only when the file is complete.
    WriteResult save(const QString &path) const;

private:
    struct Cell
    {
        bool isNumber = false;
        QString text;
        double number = 0;
    };

    bool accept(int row, int column);
    void refuse(const QString &problem);
    QByteArray globalsStream(const SharedStringTable &strings, const QList<int> &fontTwips,
                             const QList<bool> &fontBold, qsizetype *sheetOffsetField) const;
    QByteArray sheetStream(SharedStringTable &strings, const QMap<int, quint16> &rowXfs,
                           const QMap<int, int> &rowFontTwips) const;

    QString m_sheetName;
    QString m_fontName = QStringLiteral("宋体");
    int m_fontTwips = 240;
    QMap<int, QMap<int, Cell>> m_rows;
    QMap<int, RowFormat> m_rowFormats;
    QMap<int, quint16> m_columnWidths;
    QString m_problem;
};
