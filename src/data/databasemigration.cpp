#include "data/databasemigration.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/databasecreator.h"
#include "data/serverschema.h"
#include "data/sqltransaction.h"
#include "data/tables.h"

namespace {

// Rows per insert statement: few round trips, statements of a sensible size.
constexpr int RowsPerInsert = 100;

struct Source
{
    DatabaseKind kind;
    Database *db;
    DatabaseLocation target;
};

WriteResult failed(const QString &message, const WriteResult &cause = {})
{
    return WriteResult::failure(QStringLiteral("迁移失败：") + message + (cause.message.isEmpty() ? QString() : QStringLiteral("：") + cause.message),
                                cause.detail);
}

} // namespace

DatabaseMigration::Result DatabaseMigration::run(const QString &mainFile, const QString &statsFile, const ServerAddress &server,
                                                 const Progress &progress)
{
    return run(mainFile, statsFile, DatabaseLocation::server(server, DatabaseLocation::schemaOf(DatabaseKind::Main)),
               DatabaseLocation::server(server, DatabaseLocation::schemaOf(DatabaseKind::Stats)), progress);
}

DatabaseMigration::Result DatabaseMigration::run(const QString &mainFile, const QString &statsFile, const DatabaseLocation &targetMain,
                                                 const DatabaseLocation &targetStats, const Progress &progress)
{
    Result result;
    Database main(mainFile);
    Database stats(statsFile);
    const Source sources[] = {{DatabaseKind::Main, &main, targetMain}, {DatabaseKind::Stats, &stats, targetStats}};

    // What there is to copy, so the progress can show a share of it.
    qint64 total = 0;
    for (const Source &source : sources) {
        if (!source.db->connection().isOpen()) {
            result.write = failed(source.db->lastError());
            return result;
        }
        for (const TableDefinition *table : Tables::of(source.kind)) {
            QSqlQuery counted = source.db->select(QStringLiteral("select count(*) from %1").arg(quotedName(table->name())));
            if (!counted.next()) {
                result.write = failed(QStringLiteral("无法读取表“%1”").arg(table->name()), WriteResult::failure(source.db->readError()));
                return result;
            }
            total += counted.value(0).toLongLong();
        }
    }

    // One connection writes both schemas, so one transaction holds the whole move.
    Database target(targetMain);
    if (!target.connection().isOpen()) {
        result.write = failed(target.lastError());
        return result;
    }
    SqlTransaction guard(target);
    if (!guard.isActive()) {
        result.write = failed(QStringLiteral("无法开始写入服务器"), guard.begun());
        return result;
    }
    qint64 done = 0;
    for (const Source &source : sources) {
        const QString schema = source.target.schema();
        if (target.schemaExists(schema)) {
            // An existing schema is used only when it is ours and holds no row at all.
            for (const TableDefinition *table : Tables::of(source.kind)) {
                QSqlQuery rows = target.select(QStringLiteral("select count(*) from %1.%2").arg(quotedName(schema), quotedName(table->name())));
                if (!rows.next()) {
                    result.write = failed(QStringLiteral("服务器上的“%1”不是本程序的数据，不会改动它").arg(source.target.shownName()),
                                          WriteResult::failure(target.readError()));
                    return result;
                }
                if (rows.value(0).toLongLong() > 0) {
                    result.write = failed(QStringLiteral("服务器上的数据库不是空的（“%1”中的表“%2”已有%3行），为了不覆盖其中的数据，没有迁移任何内容。")
                                              .arg(source.target.shownName(), table->name())
                                              .arg(rows.value(0).toLongLong()));
                    return result;
                }
            }
            const WriteResult path = target.exec(ServerSchema::searchPathStatement(schema));
            if (!path.ok) {
                result.write = failed(QStringLiteral("无法写入服务器"), path);
                return result;
            }
        } else {
            // The new schema's statements leave it first on the search path for the copy below.
            const WriteResult created = DatabaseCreator::createTables(target, source.kind, schema);
            if (!created.ok) {
                result.write = failed(QStringLiteral("无法在服务器上建立“%1”").arg(source.target.shownName()), created);
                return result;
            }
        }
        for (const TableDefinition *table : Tables::of(source.kind)) {
            // The server keeps a key unique that a file may hold twice: trying again cannot help,
            // so the two rows are named for someone to mend first.
            if (!table->uniqueKey().isEmpty()) {
                const QString key = quotedName(table->uniqueKey());
                QSqlQuery twice = source.db->select(QStringLiteral("select a.rowid, b.rowid, a.%1 from %2 a join %2 b on b.%1 = a.%1 and b.rowid > a.rowid "
                                                                   "order by a.rowid limit 1")
                                                        .arg(key, quotedName(table->name())));
                if (twice.next()) {
                    result.write = failed(QStringLiteral("文件中表“%1”有两行的“%2”都是“%3”（rowid 为 %4 和 %5），服务器上不能有两条同号的记录。"
                                                         "请先把其中一行的“%2”改掉或删除这一行，再迁移；再试一次不会有不同的结果。")
                                              .arg(table->name(), table->uniqueKey(), twice.value(2).toString())
                                              .arg(twice.value(0).toLongLong())
                                              .arg(twice.value(1).toLongLong()));
                    return result;
                }
            }
            QSqlQuery rows = source.db->select(QStringLiteral("select %1 from %2 order by rowid").arg(quotedNames(table->columnNames()), quotedName(table->name())));
            if (!rows.isActive()) {
                result.write = failed(QStringLiteral("无法读取表“%1”").arg(table->name()), WriteResult::failure(source.db->readError()));
                return result;
            }
            const int width = int(table->columns().size());
            const QString fullInsert = insertSql(table->name(), table->columnNames(), RowsPerInsert);
            qint64 copied = 0;
            QVariantList batch;
            auto flush = [&](int rowCount) {
                const WriteResult written = target.exec(rowCount == RowsPerInsert ? fullInsert : insertSql(table->name(), table->columnNames(), rowCount), batch);
                batch.clear();
                return written;
            };
            while (rows.next()) {
                for (int i = 0; i < width; ++i) {
                    const QVariant value = rows.value(i);
                    // SQLite hands back what was stored; the server's dates take the same text.
                    batch.append(value);
                }
                ++copied;
                if (batch.size() == RowsPerInsert * width) {
                    const WriteResult written = flush(RowsPerInsert);
                    if (!written.ok) {
                        result.write = failed(QStringLiteral("表“%1”的数据没有写入服务器").arg(table->name()), written);
                        return result;
                    }
                    done += RowsPerInsert;
                    if (progress && !progress(done, total)) {
                        result.cancelled = true;
                        result.write = WriteResult::failure(QStringLiteral("迁移已取消，服务器上没有留下任何数据。"));
                        return result;
                    }
                }
            }
            if (!batch.isEmpty()) {
                const int rest = int(batch.size() / width);
                const WriteResult written = flush(rest);
                if (!written.ok) {
                    result.write = failed(QStringLiteral("表“%1”的数据没有写入服务器").arg(table->name()), written);
                    return result;
                }
                done += rest;
            }
            result.counts.append({table->name(), copied});
        }
    }
    const WriteResult committed = guard.commit();
    target.exec(ServerSchema::searchPathStatement(targetMain.schema()));
    if (!committed.ok) {
        result.counts.clear();
        result.write = failed(QStringLiteral("服务器没有接受这次迁移"), committed);
        return result;
    }
    if (progress)
        progress(total, total);
    return result;
}

QString DatabaseMigration::summary(const Result &result)
{
    QStringList lines = {QStringLiteral("迁移完成，已复制到数据库服务器：")};
    for (const TableCount &count : result.counts)
        lines.append(QStringLiteral("%1：%2行").arg(count.table).arg(count.rows));
    return lines.join(QLatin1Char('\n'));
}
