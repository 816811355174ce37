#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// A tab-separated data file with a header line: the seed data of a new database.
class TsvTable
{
public:
    static TsvTable fromText(const QString &text);
    static TsvTable fromFile(const QString &path);

    QStringList header() const { return m_header; }
    int rowCount() const { return int(m_rows.size()); }
    // The value of a named column in a row; empty when the row is shorter.
    QString value(int row, const QString &column) const;

private:
    QStringList m_header;
    QList<QStringList> m_rows;
};
