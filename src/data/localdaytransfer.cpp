#include "data/localdaytransfer.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/serverschema.h"
#include "data/sqltransaction.h"
#include "data/tabledefinition.h"
#include "data/tables.h"

namespace {

WriteResult failed(const QString &message, const WriteResult &cause = {})
{
    WriteResult result = WriteResult::failure(QStringLiteral("移动失败：") + message
                                                  + (cause.message.isEmpty() ? QString() : QStringLiteral("：") + cause.message),
                                              cause.detail);
    result.connectionLost = cause.connectionLost;
    return result;
}

// The ids of the day's prescriptions in the file, in the order they were saved.
std::optional<QStringList> localIds(Database &file, const QDate &day)
{
    QSqlQuery query = file.select(QStringLiteral("select distinct \"序号\", min(rowid) from \"档案\" where \"5\" = ? and \"序号\" is not null "
                                                 "group by \"序号\" order by 2"),
                                  {day.toString(Qt::ISODate)});
    if (!query.isActive())
        return std::nullopt;
    QStringList ids;
    while (query.next())
        ids.append(query.value(0).toString());
    return ids;
}

// Whether the server has a row whose column holds that value.
std::optional<bool> serverHas(Database &server, const QString &table, const QString &column, const QString &value)
{
    const std::optional<QVariantList> found
        = server.firstColumn(QStringLiteral("select count(*) from %1 where %2 = ?").arg(quotedName(table), quotedName(column)), {value});
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->first().toLongLong() > 0;
}

// Copies the file's rows of a table whose column holds that value; the number copied.
std::optional<int> copyRows(Database &file, Database &server, const TableDefinition &table, const QString &column, const QString &value,
                            WriteResult *error)
{
    QSqlQuery rows = file.select(QStringLiteral("select %1 from %2 where %3 = ? order by rowid")
                                     .arg(quotedNames(table.columnNames()), quotedName(table.name()), quotedName(column)),
                                 {value});
    if (!rows.isActive()) {
        *error = WriteResult::failure(file.readError());
        return std::nullopt;
    }
    const int width = int(table.columnNames().size());
    const QString sql = insertSql(table.name(), table.columnNames());
    int copied = 0;
    while (rows.next()) {
        QVariantList values;
        for (int i = 0; i < width; ++i)
            values.append(rows.value(i));
        const WriteResult written = server.exec(sql, values);
        if (!written.ok) {
            *error = written;
            return std::nullopt;
        }
        ++copied;
    }
    return copied;
}

// Copies the rows of `value` unless the server has them already: how many were copied (none when
// it had them), or nothing with `error` saying which read or write failed.
std::optional<int> copyMissing(Database &file, Database &server, const TableDefinition &table, const QString &column, const QString &value,
                               const QString &readFailure, const QString &writeFailure, WriteResult *error)
{
    const std::optional<bool> there = serverHas(server, table.name(), column, value);
    if (!there) {
        *error = failed(readFailure, server.readFailure());
        return std::nullopt;
    }
    if (*there)
        return 0;
    WriteResult cause;
    const std::optional<int> copied = copyRows(file, server, table, column, value, &cause);
    if (!copied)
        *error = failed(writeFailure, cause);
    return copied;
}

} // namespace

std::optional<int> LocalDayTransfer::pending(const QString &mainFile, const DatabaseLocation &serverMain, const QDate &day, QString *error)
{
    Database file(mainFile);
    const std::optional<QStringList> ids = localIds(file, day);
    if (!ids) {
        if (error)
            *error = file.readError();
        return std::nullopt;
    }
    if (ids->isEmpty())
        return 0;
    Database server(serverMain);
    int missing = 0;
    for (const QString &id : *ids) {
        const std::optional<bool> there = serverHas(server, QStringLiteral("档案"), QStringLiteral("序号"), id);
        if (!there) {
            if (error)
                *error = server.readError().isEmpty() ? server.lastError() : server.readError();
            return std::nullopt;
        }
        missing += *there ? 0 : 1;
    }
    return missing;
}

LocalDayTransfer::Result LocalDayTransfer::run(const QString &mainFile, const QString &statsFile, const DatabaseLocation &serverMain,
                                               const DatabaseLocation &serverStats, const QDate &day)
{
    Result result;
    Database main(mainFile);
    Database stats(statsFile);
    const std::optional<QStringList> ids = localIds(main, day);
    if (!ids) {
        result.write = failed(QStringLiteral("无法读取本机的处方"), WriteResult::failure(main.readError()));
        return result;
    }
    Database server(serverMain);
    // Under the write lock no other computer stores one of these ids between the check and the copy.
    SqlTransaction guard(server);
    if (!guard.isActive()) {
        result.write = failed(QStringLiteral("无法写入服务器"), guard.begun());
        return result;
    }
    QStringList moved;
    QStringList names;
    for (const QString &id : *ids) {
        const std::optional<int> copied = copyMissing(main, server, Tables::archive(), QStringLiteral("序号"), id, QStringLiteral("无法读取服务器上的处方"),
                                                      QStringLiteral("处方“%1”没有写入服务器").arg(id), &result.write);
        if (!copied)
            return result;
        if (*copied == 0)
            continue;
        moved.append(id);
        // A patient left behind unread would be missing on the server without a word: a failed
        // read stops the move as a failed write does.
        const std::optional<QVariantList> name = main.firstColumn(QStringLiteral("select \"0\" from \"档案\" where \"序号\" = ?"), {id});
        if (!name) {
            result.write = failed(QStringLiteral("无法读取本机的处方"), WriteResult::failure(main.readError()));
            return result;
        }
        if (!name->isEmpty() && !name->first().toString().isEmpty() && !names.contains(name->first().toString()))
            names.append(name->first().toString());
    }
    // The patients of the moved prescriptions whom the server does not know yet.
    for (const QString &name : names) {
        const std::optional<QVariantList> keys
            = main.firstColumn(QStringLiteral("select distinct \"序号\" from \"患者信息\" where \"姓名\" = ? and \"序号\" is not null"), {name});
        if (!keys) {
            result.write = failed(QStringLiteral("无法读取本机的患者信息"), WriteResult::failure(main.readError()));
            return result;
        }
        for (const QVariant &key : *keys) {
            const std::optional<int> copied = copyMissing(main, server, Tables::patients(), QStringLiteral("序号"), key.toString(),
                                                          QStringLiteral("无法读取服务器上的患者信息"), QStringLiteral("患者“%1”没有写入服务器").arg(name),
                                                          &result.write);
            if (!copied)
                return result;
            result.patients += *copied;
        }
    }
    // The statistics lines of the moved prescriptions, in the other schema of the same database.
    if (!moved.isEmpty()) {
        const WriteResult path = server.exec(ServerSchema::searchPathStatement(serverStats.schema()));
        if (!path.ok) {
            result.write = failed(QStringLiteral("无法写入服务器"), path);
            return result;
        }
        for (const QString &id : moved) {
            const std::optional<int> copied = copyMissing(stats, server, Tables::statistics(), QStringLiteral("ID号"), id,
                                                          QStringLiteral("无法读取服务器上的统计"), QStringLiteral("处方“%1”的统计没有写入服务器").arg(id),
                                                          &result.write);
            if (!copied)
                return result;
            result.statisticsLines += *copied;
        }
    }
    const WriteResult committed = guard.commit();
    server.exec(ServerSchema::searchPathStatement(serverMain.schema()));
    if (!committed.ok) {
        result.write = failed(QStringLiteral("服务器没有接受这次移动"), committed);
        result.statisticsLines = 0;
        result.patients = 0;
        return result;
    }
    result.prescriptions = int(moved.size());
    return result;
}

QString LocalDayTransfer::summary(const Result &result)
{
    if (!result.write.ok)
        return result.write.fullText();
    if (result.prescriptions == 0)
        return QStringLiteral("服务器上已经有本机今天保存的全部处方，没有需要移动的。");
    return QStringLiteral("已把本机保存的%1张处方移到服务器上（编号不变），连同%2行用药统计和%3位患者的信息。")
        .arg(result.prescriptions)
        .arg(result.statisticsLines)
        .arg(result.patients);
}
