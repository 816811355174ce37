#include "data/databasefilecheck.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "data/writeresult.h"

namespace {

enum class Header { Sqlite, Other, Unreadable };

Header readHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Header::Unreadable;
    return file.read(16) == QByteArray("SQLite format 3\0", 16) ? Header::Sqlite : Header::Other;
}

bool isBusy(const QSqlError &error)
{
    return isSqliteBusy(error.nativeErrorCode().toInt());
}

bool isPermission(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == SQLITE_PERM || code == SQLITE_AUTH || code == SQLITE_READONLY || code == SQLITE_CANTOPEN;
}

} // namespace

DatabaseFileCheck::Verdict DatabaseFileCheck::check(const QString &path, DatabaseKind kind, int busyTimeoutMs)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Verdict::Missing;
    if (!info.isFile())
        return Verdict::NotOurs;
    switch (readHeader(path)) {
    case Header::Unreadable:
        return Verdict::NoPermission;
    case Header::Other:
        return Verdict::NotOurs;
    case Header::Sqlite:
        break;
    }
    if (!info.isWritable())
        return Verdict::NoPermission;
    // A read-write connection: after a power cut SQLite must be able to roll back an unfinished
    // write from its journal, or a sound database would be taken for a foreign file. Reading the
    // table list writes nothing.
    Database db(path, busyTimeoutMs);
    QSqlDatabase connection = db.connection();
    if (!connection.isOpen())
        return isPermission(connection.lastError()) ? Verdict::NoPermission : Verdict::NotOurs;
    QSqlQuery query(connection);
    if (!query.prepare(QStringLiteral("select name from sqlite_master where type = 'table'")) || !query.exec())
        return isBusy(query.lastError()) ? Verdict::Busy : isPermission(query.lastError()) ? Verdict::NoPermission : Verdict::NotOurs;
    QStringList present;
    while (query.next())
        present.append(query.value(0).toString());
    if (isBusy(query.lastError()))
        return Verdict::Busy;
    for (const QString &table : requiredTables(kind)) {
        if (!present.contains(table))
            return Verdict::NotOurs;
    }
    return Verdict::Ours;
}

DatabaseFileCheck::Verdict DatabaseFileCheck::check(const DatabaseLocation &location, DatabaseKind kind, int busyTimeoutMs, QString *problem)
{
    if (!location.isServer())
        return check(location.path(), kind, busyTimeoutMs);
    Database db(location, busyTimeoutMs);
    if (!db.connection().isOpen()) {
        if (problem)
            *problem = db.lastError();
        return Verdict::Unreachable;
    }
    // The catalogue lists every table, also those this user may not read (information_schema
    // would hide them, and a schema restored as another user would look foreign).
    QSqlQuery query = db.select(QStringLiteral("select c.relname, pg_get_userbyid(c.relowner), "
                                               "has_schema_privilege(n.oid, 'USAGE') and has_table_privilege(c.oid, 'SELECT, INSERT, UPDATE, DELETE'), "
                                               "pg_get_userbyid(n.nspowner), current_user "
                                               "from pg_class c join pg_namespace n on n.oid = c.relnamespace "
                                               "where n.nspname = ? and c.relkind in ('r', 'p')"),
                                {location.schema()});
    if (!query.isActive()) {
        if (problem)
            *problem = db.readError();
        return Verdict::Unreachable;
    }
    QStringList present;
    QString foreignOwner;
    QString user;
    while (query.next()) {
        present.append(query.value(0).toString());
        user = query.value(4).toString();
        if (!query.value(2).toBool() && foreignOwner.isEmpty())
            foreignOwner = query.value(3).toString() != user ? query.value(3).toString() : query.value(1).toString();
    }
    if (present.isEmpty())
        return db.schemaExists(location.schema()) ? Verdict::NotOurs : Verdict::Missing;
    for (const QString &table : requiredTables(kind)) {
        if (!present.contains(table))
            return Verdict::NotOurs;
    }
    if (!foreignOwner.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("服务器上的数据属于用户 %1，请把所有权交给 %2。\n\n（“%3”中的表是本程序的，但用户 %2 不能读写它们；"
                                      "用 %1 恢复备份时会这样。请维护人员在服务器上把这个 schema 及其中的表、函数的所有者改为 %2，"
                                      "或以用户 %2 重新恢复备份。）")
                           .arg(foreignOwner, user, location.shownName());
        return Verdict::OwnedByOther;
    }
    return Verdict::Ours;
}

QString DatabaseFileCheck::message(Verdict verdict, const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (verdict) {
    case Verdict::Busy:
        return QStringLiteral("数据库正被其他电脑使用，暂时无法打开：\n%1\n\n请稍候片刻后重试；如果一直如此，请检查其他电脑上的本程序是否卡住。").arg(shown);
    case Verdict::NoPermission:
        return QStringLiteral("没有读写数据库文件的权限：\n%1\n\n请检查这个文件及其文件夹的权限（是否只读、是否属于其他用户），或请维护人员处理。").arg(shown);
    case Verdict::NotOurs:
        return QStringLiteral("文件“%1”不是本程序的数据库，或者已经损坏。\n为了不破坏其中的数据，程序不会改动它，现在退出。\n"
                              "请把这个文件移走或交给维护人员检查后再启动程序。")
            .arg(shown);
    case Verdict::Missing:
    case Verdict::Ours:
    case Verdict::Unreachable:
    case Verdict::OwnedByOther:
        break;
    }
    return QString();
}

QString DatabaseFileCheck::quickCheck(const QString &path, int busyTimeoutMs)
{
    Database db(path, busyTimeoutMs);
    QSqlQuery query = db.select(QStringLiteral("pragma quick_check"));
    if (!query.isActive())
        return db.readError().isEmpty() ? QStringLiteral("无法检查") : db.readError();
    QStringList problems;
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok"))
            problems.append(line);
    }
    if (query.lastError().isValid())
        problems.append(query.lastError().text());
    return problems.join(QLatin1Char('\n'));
}
