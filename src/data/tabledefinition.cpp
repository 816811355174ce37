#include "data/tabledefinition.h"

TableDefinition::TableDefinition(QString name, QList<ColumnDefinition> columns, QStringList indexedColumns, QString uniqueKey)
    : m_name(std::move(name))
    , m_columns(std::move(columns))
    , m_indexedColumns(std::move(indexedColumns))
    , m_uniqueKey(std::move(uniqueKey))
{
}

QStringList TableDefinition::columnNames() const
{
    QStringList names;
    for (const ColumnDefinition &column : m_columns)
        names.append(column.name);
    return names;
}

const ColumnDefinition *TableDefinition::column(const QString &name) const
{
    for (const ColumnDefinition &column : m_columns) {
        if (column.name == name)
            return &column;
    }
    return nullptr;
}

int TableDefinition::width(const QString &column) const
{
    const ColumnDefinition *found = this->column(column);
    return found && found->kind == ColumnDefinition::Kind::Text ? found->width : 0;
}

QStringList TableDefinition::createStatements(SqlEngine engine) const
{
    if (engine == SqlEngine::Postgres)
        return serverCreateStatements();
    // Every field is text but the dates; widths are CHECKs so that no writer can store what does not
    // fit. NOCASE makes =, LIKE and ORDER BY blind to ASCII letter case. Dates are yyyy-mm-dd text,
    // so BETWEEN includes both ends.
    QStringList lines;
    for (const ColumnDefinition &column : m_columns) {
        const QString name = quotedName(column.name);
        switch (column.kind) {
        case ColumnDefinition::Kind::Text:
            lines.append(QStringLiteral("    %1 TEXT COLLATE NOCASE CHECK (length(%1) <= %2)").arg(name).arg(column.width));
            break;
        case ColumnDefinition::Kind::Memo:
            lines.append(QStringLiteral("    %1 TEXT COLLATE NOCASE").arg(name));
            break;
        case ColumnDefinition::Kind::Date:
            lines.append(QStringLiteral("    %1 DATE CHECK (%1 IS NULL OR date(%1) IS %1)").arg(name));
            break;
        }
    }
    QStringList statements = {QStringLiteral("CREATE TABLE %1 (\n%2\n);").arg(quotedName(m_name), lines.join(QStringLiteral(",\n")))};
    for (const QString &column : m_indexedColumns)
        statements.append(indexStatement(QStringLiteral("INDEX"), column));
    return statements;
}

QStringList TableDefinition::serverCreateStatements() const
{
    // citext keeps =, LIKE and ORDER BY blind to letter case; the "C" collation folds only ASCII
    // letters and orders by code point, exactly as SQLite's NOCASE does. Each width CHECK is named
    // after its column and width, so a refusal can name the field.
    QStringList lines = {QStringLiteral("    rowid bigserial PRIMARY KEY")};
    for (const ColumnDefinition &column : m_columns) {
        const QString name = quotedName(column.name);
        switch (column.kind) {
        case ColumnDefinition::Kind::Text:
            lines.append(QStringLiteral("    %1 citext COLLATE \"C\" CONSTRAINT %2 CHECK (char_length(%1) <= %3)")
                             .arg(name, quotedName(QStringLiteral("%1 <= %2").arg(column.name).arg(column.width)))
                             .arg(column.width));
            break;
        case ColumnDefinition::Kind::Memo:
            lines.append(QStringLiteral("    %1 citext COLLATE \"C\"").arg(name));
            break;
        case ColumnDefinition::Kind::Date:
            lines.append(QStringLiteral("    %1 date").arg(name));
            break;
        }
    }
    QStringList statements = {QStringLiteral("CREATE TABLE %1 (\n%2\n);").arg(quotedName(m_name), lines.join(QStringLiteral(",\n")))};
    for (const QString &column : m_indexedColumns)
        statements.append(indexStatement(column == m_uniqueKey ? QStringLiteral("UNIQUE INDEX") : QStringLiteral("INDEX"), column));
    return statements;
}

QStringList TableDefinition::missingIndexStatements() const
{
    QStringList statements;
    for (const QString &column : m_indexedColumns)
        statements.append(indexStatement(QStringLiteral("INDEX IF NOT EXISTS"), column));
    return statements;
}

QString TableDefinition::indexStatement(const QString &kind, const QString &column) const
{
    // "a,b" is one index over both columns.
    const QStringList parts = column.split(QLatin1Char(','));
    return QStringLiteral("CREATE %1 %2 ON %3 (%4);")
        .arg(kind, quotedName(m_name + QLatin1Char('_') + parts.join(QLatin1Char('_'))), quotedName(m_name), quotedNames(parts));
}

QString quotedName(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString quotedNames(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted.append(quotedName(name));
    return quoted.join(QStringLiteral(", "));
}

QString quotedText(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString insertSql(const QString &table, const QStringList &columns, int rows)
{
    return insertSqlInto(quotedName(table), columns, rows);
}

QString insertSqlInto(const QString &sqlTable, const QStringList &columns, int rows)
{
    const QString row = QLatin1Char('(') + QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + QLatin1Char(')');
    return QStringLiteral("insert into %1 (%2) values %3").arg(sqlTable, quotedNames(columns), QStringList(rows, row).join(QStringLiteral(", ")));
}
