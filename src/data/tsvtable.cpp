#include "data/tsvtable.h"

#include <QFile>

TsvTable TsvTable::fromText(const QString &text)
{
    TsvTable table;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (table.m_header.isEmpty())
            table.m_header = cells;
        else
            table.m_rows.append(cells);
    }
    return table;
}

TsvTable TsvTable::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromText(QString::fromUtf8(file.readAll()));
}

QString TsvTable::value(int row, const QString &column) const
{
    const int index = int(m_header.indexOf(column));
    if (row < 0 || row >= m_rows.size() || index < 0)
        return QString();
    const QStringList &cells = m_rows.at(row);
    return index < cells.size() ? cells.at(index) : QString();
}
