#include "prescription/pricedsheettext.h"

namespace {
constexpr int StoredCells = 6;
}

QString PricedSheetText::encode(const QList<DrugLine> &lines)
{
    QString text;
    for (int cell = 0; cell < StoredCells; ++cell) {
        for (const DrugLine &line : lines) {
            if (line.name.isEmpty())
                break;
            text += line.cell(cell) + QLatin1Char('@');
        }
        text += QLatin1Char('$');
    }
    return text;
}

QList<DrugLine> PricedSheetText::decode(const QString &text, int maxRows)
{
    QList<DrugLine> lines;
    qsizetype position = 0;
    for (int cell = 0; cell < StoredCells; ++cell) {
        const qsizetype end = text.indexOf(QLatin1Char('$'), position);
        if (end < 0)
            break;
        const QString group = text.mid(position, end - position);
        position = end + 1;
        qsizetype start = 0;
        for (int row = 0; row < maxRows; ++row) {
            const qsizetype at = group.indexOf(QLatin1Char('@'), start);
            if (at < 0)
                break;
            if (lines.size() <= row)
                lines.resize(row + 1);
            lines[row].setCell(cell, group.mid(start, at - start));
            start = at + 1;
        }
    }
    return lines;
}
