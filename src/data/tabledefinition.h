#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "data/sqlengine.h"

// One column of a stored table: its name, kind and, for text, the most characters it holds.
struct ColumnDefinition
{
    enum class Kind { Text, Memo, Date };

    QString name;
    Kind kind = Kind::Text;
    int width = 0; // characters; 0 for memo and date columns
};

// A stored table described once: the schema of a new file, the width checks of every write and
// the input limits of the windows all come from here.
class TableDefinition
{
public:
    // The unique key, when given, is one of the indexed columns: the server enforces it, while a
    // SQLite file keeps the plain index its earlier versions made (and the program's own check).
    TableDefinition(QString name, QList<ColumnDefinition> columns, QStringList indexedColumns = {}, QString uniqueKey = {});

    const QString &name() const { return m_name; }
    const QList<ColumnDefinition> &columns() const { return m_columns; }
    QStringList columnNames() const;
    const QStringList &indexedColumns() const { return m_indexedColumns; }
    const QString &uniqueKey() const { return m_uniqueKey; }

    // The column of that name, or null.
    const ColumnDefinition *column(const QString &name) const;
    // The width of a text column (0 for memo, date or unknown columns).
    int width(const QString &column) const;

    // The statements that create the table and its indexes in a new file, or in a new schema on
    // the server (where a hidden identity column named rowid stands for SQLite's own).
    QStringList createStatements(SqlEngine engine = SqlEngine::Sqlite) const;
    // The statements that add the indexes a file made by an earlier version may lack.
    QStringList missingIndexStatements() const;

private:
    QStringList serverCreateStatements() const;
    // "CREATE <kind> "t_c" ON "t" ("c");" for an indexed column.
    QString indexStatement(const QString &kind, const QString &column) const;

    QString m_name;
    QList<ColumnDefinition> m_columns;
    QStringList m_indexedColumns;
    QString m_uniqueKey;
};

// A name put between double quotes for SQL, doubling any quote inside.
QString quotedName(const QString &name);
// The names quoted so and joined by ", ", for a column list.
QString quotedNames(const QStringList &names);
// A text as an SQL string literal: between apostrophes, doubling any apostrophe inside.
QString quotedText(const QString &text);
// "insert into "t" ("a", "b") values (?, ?)", with that many rows of placeholders.
QString insertSql(const QString &table, const QStringList &columns, int rows = 1);
// The same into a table already written as SQL names it (quoted, or behind an attached file's alias).
QString insertSqlInto(const QString &sqlTable, const QStringList &columns, int rows = 1);
