#pragma once

#include <functional>

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include "data/tabledefinition.h"
#include "data/writeresult.h"

// The values of one row to write, column by column in the order given. The same description
// produces the SQL text and its bound values, so the two can never drift apart.
class SqlRow
{
public:
    explicit SqlRow(const TableDefinition &table);

    // Sets a column's value (texts are cleaned with storableText); the column must exist.
    SqlRow &set(const QString &column, const QVariant &value);
    // Sets a derived text (a search key built from other columns) cut to the column's width:
    // the columns it is built from are stored whole, so the key may lose its tail, never the row.
    SqlRow &setClipped(const QString &column, const QString &text);

    const TableDefinition &table() const { return *m_table; }
    QStringList columns() const;
    QVariant value(const QString &column) const;

    // "insert into "t" ("a", "b") values (?, ?)"
    QString insertSql() const;
    // "update "t" set "a" = ?, "b" = ? where <where>"; the where clause binds after the values.
    QString updateSql(const QString &where) const;
    // The values in column order, to bind to either statement.
    QVariantList values() const;

    // Refuses a text longer than its column, or a date that is not "yyyy-mm-dd", before the
    // database does, naming the field as the user knows it (the caption function may give a
    // column's caption; the column otherwise).
    WriteResult checkWidths(const std::function<QString(const QString &column)> &caption = {}) const;

private:
    const TableDefinition *m_table;
    QList<QPair<QString, QVariant>> m_values;
};
