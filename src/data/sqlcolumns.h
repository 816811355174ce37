#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include "data/tabledefinition.h"

class QSqlQuery;

// The read side of a table, as SqlRow is its write side: the columns a repository reads, checked
// against the table's description, give the select list, and a row read with that list is taken
// apart by column name, never by counting positions.
class SqlColumns
{
public:
    // The values of one row read with the list, by column name.
    class Values
    {
    public:
        QString text(const QString &column) const;

    private:
        friend class SqlColumns;
        Values(const SqlColumns &columns, QStringList values);

        const SqlColumns *m_columns;
        QStringList m_values;
    };

    // Every column must be one of the table's (or rowid).
    SqlColumns(const TableDefinition &table, QStringList columns);

    const QStringList &names() const { return m_names; }
    // "\"a\", \"b\"".
    QString list() const;
    // "select <list> from "<table>"", then the tail ("where …", "order by …") when given.
    QString select(const QString &tail = QString()) const;
    // The query a RowCache takes: the row id, the name and the search key, then the list.
    QString cacheSelect(const QString &nameColumn, const QString &searchColumn, const QString &tail = QString()) const;

    // A row of a query that selected the list starting at column `first`.
    Values of(const QSqlQuery &query, int first = 0) const;
    // A row read as values in list order (a RowCache row's further columns, Database::firstRow).
    Values of(const QStringList &values) const;
    Values of(const QVariantList &values) const;

private:
    const TableDefinition *m_table;
    QStringList m_names;
};
