#include "data/databaseupgrade.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include "data/changecounters.h"
#include "data/database.h"
#include "data/serverschema.h"
#include "data/sqltransaction.h"
#include "data/tables.h"

namespace {

// The stored schema text of a table with every narrower width check widened; unchanged when none.
QString widenedSchema(const TableDefinition &table, const QString &schema)
{
    QString widened = schema;
    for (const ColumnDefinition &column : table.columns()) {
        if (column.kind != ColumnDefinition::Kind::Text)
            continue;
        const QRegularExpression check(QStringLiteral(R"(length\(%1\) <= (\d+)\))").arg(QRegularExpression::escape(quotedName(column.name))));
        const QRegularExpressionMatch match = check.match(widened);
        if (match.hasMatch() && match.captured(1).toInt() < column.width)
            widened.replace(match.capturedStart(1), match.capturedLength(1), QString::number(column.width));
    }
    return widened;
}

WriteResult widenFileTable(Database &db, const TableDefinition &table)
{
    const std::optional<QVariantList> stored
        = db.firstColumn(QStringLiteral("select sql from sqlite_master where type = 'table' and name = ?"), {table.name()});
    if (!stored)
        return WriteResult::failure(QStringLiteral("保存失败：") + db.readError());
    if (stored->isEmpty())
        return WriteResult::success();
    const QString schema = stored->first().toString();
    const QString widened = widenedSchema(table, schema);
    if (widened == schema)
        return WriteResult::success();
    // SQLite's own procedure for relaxing a constraint: rewrite the table's text in the schema and
    // bump the schema version so that every connection reads it again.
    SqlTransaction transaction(db);
    if (!transaction.isActive())
        return transaction.begun();
    const std::optional<QVariantList> version = db.firstColumn(QStringLiteral("pragma schema_version"));
    if (!version || version->isEmpty())
        return WriteResult::failure(QStringLiteral("保存失败：") + db.readError());
    WriteResult result = db.exec(QStringLiteral("pragma writable_schema = on"));
    if (result.ok)
        result = db.exec(QStringLiteral("update sqlite_master set sql = ? where type = 'table' and name = ?"), {widened, table.name()});
    if (result.ok && db.rowsAffected() != 1)
        result = WriteResult::failure(QStringLiteral("保存失败：数据库拒绝修改表“%1”的定义。").arg(table.name()));
    if (result.ok)
        result = db.exec(QStringLiteral("pragma schema_version = %1").arg(version->first().toLongLong() + 1));
    db.exec(QStringLiteral("pragma writable_schema = off"));
    if (!result.ok)
        return result;
    return transaction.commit();
}

WriteResult widenServerTable(Database &db, const TableDefinition &table)
{
    static const QRegularExpression named(QStringLiteral(R"(^(.+) <= (\d+)$)"));
    QSqlQuery checks = db.select(QStringLiteral("select conname from pg_constraint where contype = 'c' and conrelid = ?::regclass"),
                                 {quotedName(table.name())});
    if (!checks.isActive())
        return WriteResult::failure(QStringLiteral("保存失败：") + db.readError());
    QStringList changes;
    while (checks.next()) {
        const QString name = checks.value(0).toString();
        const QRegularExpressionMatch match = named.match(name);
        if (!match.hasMatch())
            continue;
        const int width = table.width(match.captured(1));
        if (width <= match.captured(2).toInt())
            continue;
        const QString column = quotedName(match.captured(1));
        // The wider check holds for every stored row: no need to read them all.
        changes.append(QStringLiteral("DROP CONSTRAINT %1, ADD CONSTRAINT %2 CHECK (char_length(%3) <= %4) NOT VALID")
                           .arg(quotedName(name), quotedName(QStringLiteral("%1 <= %2").arg(match.captured(1)).arg(width)), column)
                           .arg(width));
    }
    if (changes.isEmpty())
        return WriteResult::success();
    return db.exec(QStringLiteral("ALTER TABLE %1 %2").arg(quotedName(table.name()), changes.join(QStringLiteral(", "))));
}

} // namespace

WriteResult DatabaseUpgrade::apply(Database &db, DatabaseKind kind)
{
    // A table that could not be added only stops its own indexes: the others still get theirs.
    const WriteResult tables = ensureTables(db, kind);
    const WriteResult widened = widenColumns(db, kind);
    const WriteResult indexed = ensureIndexes(db, kind);
    if (!tables.ok)
        return tables;
    return widened.ok ? indexed : widened;
}

WriteResult DatabaseUpgrade::ensureTables(Database &db, DatabaseKind kind)
{
    const bool onServer = db.location().isServer();
    const QString present = onServer
        ? QStringLiteral("select count(*) from pg_class c join pg_namespace n on n.oid = c.relnamespace "
                         "where n.nspname = ? and c.relname = ? and c.relkind in ('r', 'p')")
        : QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = ?");
    const auto lacks = [&](const TableDefinition &table) -> std::optional<bool> {
        const std::optional<QVariantList> found = onServer ? db.firstColumn(present, {db.location().schema(), table.name()})
                                                           : db.firstColumn(present, {table.name()});
        if (!found || found->isEmpty())
            return std::nullopt;
        return found->first().toInt() == 0;
    };
    QList<const TableDefinition *> missing;
    for (const TableDefinition *table : Tables::added(kind)) {
        const std::optional<bool> lacking = lacks(*table);
        if (!lacking)
            return db.readFailure();
        if (*lacking)
            missing.append(table);
    }
    if (missing.isEmpty())
        return WriteResult::success();
    // Looked at again under the write lock: of two computers starting at once, one adds them.
    SqlTransaction transaction(db);
    if (!transaction.isActive())
        return transaction.begun();
    for (const TableDefinition *table : std::as_const(missing)) {
        const std::optional<bool> lacking = lacks(*table);
        if (!lacking)
            return db.readFailure();
        if (!*lacking)
            continue;
        const QStringList statements = onServer ? ServerSchema::tableStatements(db.location().schema(), *table) : table->createStatements();
        for (const QString &statement : statements) {
            const WriteResult made = db.exec(statement);
            if (!made.ok)
                return made;
        }
    }
    return transaction.commit();
}

WriteResult DatabaseUpgrade::ensureIndexes(Database &db, DatabaseKind kind)
{
    for (const TableDefinition *table : Tables::of(kind)) {
        for (const QString &statement : table->missingIndexStatements()) {
            const WriteResult made = db.exec(statement);
            if (!made.ok)
                return made;
        }
    }
    return WriteResult::success();
}

WriteResult DatabaseUpgrade::widenColumns(Database &db, DatabaseKind kind)
{
    for (const TableDefinition *table : Tables::of(kind)) {
        const WriteResult widened = db.location().isServer() ? widenServerTable(db, *table) : widenFileTable(db, *table);
        if (!widened.ok)
            return widened;
    }
    return WriteResult::success();
}

WriteResult DatabaseUpgrade::ensureChangeCounters(Database &db, DatabaseKind kind)
{
    if (db.engine() != SqlEngine::Sqlite)
        return WriteResult::success();
    return ChangeCounters::ensure(db, kind);
}
