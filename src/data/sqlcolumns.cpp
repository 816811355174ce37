#include "data/sqlcolumns.h"

#include <QSqlQuery>

SqlColumns::SqlColumns(const TableDefinition &table, QStringList columns)
    : m_table(&table)
    , m_names(std::move(columns))
{
    for (const QString &name : std::as_const(m_names))
        Q_ASSERT_X(name == QLatin1String("rowid") || table.column(name), "SqlColumns", qPrintable(table.name() + QLatin1Char('.') + name));
}

QString SqlColumns::list() const
{
    return quotedNames(m_names);
}

QString SqlColumns::select(const QString &tail) const
{
    const QString statement = QStringLiteral("select %1 from %2").arg(list(), quotedName(m_table->name()));
    return tail.isEmpty() ? statement : statement + QLatin1Char(' ') + tail;
}

QString SqlColumns::cacheSelect(const QString &nameColumn, const QString &searchColumn, const QString &tail) const
{
    Q_ASSERT(m_table->column(nameColumn) && m_table->column(searchColumn));
    const QString statement = QStringLiteral("select rowid, %1, %2, %3 from %4")
                                  .arg(quotedName(nameColumn), quotedName(searchColumn), list(), quotedName(m_table->name()));
    return tail.isEmpty() ? statement : statement + QLatin1Char(' ') + tail;
}

SqlColumns::Values SqlColumns::of(const QSqlQuery &query, int first) const
{
    QStringList values;
    for (int i = 0; i < m_names.size(); ++i)
        values.append(query.value(first + i).toString());
    return Values(*this, values);
}

SqlColumns::Values SqlColumns::of(const QStringList &values) const
{
    return Values(*this, values);
}

SqlColumns::Values SqlColumns::of(const QVariantList &values) const
{
    QStringList texts;
    for (const QVariant &value : values)
        texts.append(value.toString());
    return Values(*this, texts);
}

SqlColumns::Values::Values(const SqlColumns &columns, QStringList values)
    : m_columns(&columns)
    , m_values(std::move(values))
{
}

QString SqlColumns::Values::text(const QString &column) const
{
    const qsizetype index = m_columns->m_names.indexOf(column);
    Q_ASSERT_X(index >= 0, "SqlColumns::Values::text", qPrintable(column));
    return m_values.value(index);
}
