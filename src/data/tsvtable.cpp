#include "data/tsvtable.h"

#include "text/tabseparated.h"

TsvTable TsvTable::fromText(const QString &text)
{
    TsvTable table;
    for (const TabSeparated::Line &line : TabSeparated::lines(text)) {
        const QStringList &cells = line.cells;
        if (table.m_header.isEmpty())
            table.m_header = cells;
        else
            table.m_rows.append(cells);
    }
    return table;
}

TsvTable TsvTable::fromFile(const QString &path)
{
    return fromText(TabSeparated::readText(path));
}

QString TsvTable::value(int row, const QString &column) const
{
    const int index = int(m_header.indexOf(column));
    if (row < 0 || row >= m_rows.size() || index < 0)
        return QString();
    const QStringList &cells = m_rows.at(row);
    return index < cells.size() ? cells.at(index) : QString();
}
