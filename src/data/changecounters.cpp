#include "data/changecounters.h"

#include <QSet>
#include <QSqlQuery>

#include "data/database.h"
#include "data/sqltransaction.h"
#include "data/tabledefinition.h"
#include "data/tables.h"

namespace {

QString triggerName(const QString &table, const QString &event)
{
    return table + QStringLiteral("_") + event;
}

QStringList triggerStatements(const QString &table)
{
    const QString counters = quotedName(ChangeCounters::tableName());
    const QString where = QStringLiteral(" WHERE table_name = %1; END").arg(quotedText(table));
    const QString count = QStringLiteral("UPDATE %1 SET counter = counter + 1").arg(counters);
    const QString rewrite = QStringLiteral("UPDATE %1 SET counter = counter + 1, rewrites = rewrites + 1, last_rewritten = %2").arg(counters);
    return {
        QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN %3").arg(quotedName(triggerName(table, QStringLiteral("inserted"))), quotedName(table), count + where),
        QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON %2 BEGIN %3")
            .arg(quotedName(triggerName(table, QStringLiteral("updated"))), quotedName(table), rewrite.arg(QStringLiteral("new.rowid")) + where),
        QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 BEGIN %3")
            .arg(quotedName(triggerName(table, QStringLiteral("deleted"))), quotedName(table), rewrite.arg(QStringLiteral("old.rowid")) + where),
    };
}

QString counterTableStatement()
{
    // Without row ids: the key is the table itself, so no index of its own shows beside the tables' indexes.
    return QStringLiteral("CREATE TABLE %1 (table_name TEXT PRIMARY KEY, counter INTEGER NOT NULL DEFAULT 0, "
                          "rewrites INTEGER NOT NULL DEFAULT 0, last_rewritten INTEGER) WITHOUT ROWID")
        .arg(quotedName(ChangeCounters::tableName()));
}

QString counterRowStatement(const QString &table)
{
    return QStringLiteral("INSERT OR IGNORE INTO %1 (table_name) VALUES (%2)").arg(quotedName(ChangeCounters::tableName()), quotedText(table));
}

} // namespace

QString ChangeCounters::tableName()
{
    return QStringLiteral("quillon_changes");
}

QStringList ChangeCounters::createStatements(DatabaseKind kind)
{
    QStringList statements = {counterTableStatement()};
    for (const TableDefinition *table : Tables::of(kind)) {
        statements.append(counterRowStatement(table->name()));
        statements += triggerStatements(table->name());
    }
    return statements;
}

WriteResult ChangeCounters::ensure(Database &db, DatabaseKind kind)
{
    QSqlQuery present = db.select(QStringLiteral("select type, name from sqlite_master where type in ('table', 'trigger')"));
    if (!present.isActive())
        return WriteResult::failure(db.readError());
    QSet<QString> tables;
    QSet<QString> triggers;
    while (present.next())
        (present.value(0).toString() == QLatin1String("table") ? tables : triggers).insert(present.value(1).toString());
    QStringList missing;
    if (!tables.contains(tableName()))
        missing.append(counterTableStatement());
    for (const TableDefinition *table : Tables::of(kind)) {
        if (!tables.contains(table->name()))
            continue;
        const QStringList made = triggerStatements(table->name());
        const QString events[] = {QStringLiteral("inserted"), QStringLiteral("updated"), QStringLiteral("deleted")};
        bool rowNeeded = !tables.contains(tableName());
        for (int i = 0; i < 3; ++i) {
            if (!triggers.contains(triggerName(table->name(), events[i]))) {
                missing.append(made.at(i));
                rowNeeded = true;
            }
        }
        if (rowNeeded)
            missing.append(counterRowStatement(table->name()));
    }
    if (missing.isEmpty())
        return WriteResult::success();
    SqlTransaction transaction(db);
    if (!transaction.isActive())
        return transaction.begun();
    for (const QString &statement : std::as_const(missing)) {
        const WriteResult made = db.exec(statement);
        if (!made.ok)
            return made;
    }
    return transaction.commit();
}
