#include "data/databasefilecheck.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "data/oldjetfile.h"
#include "data/tabledefinition.h"
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
        return OldJetFile::version(path) == OldJetFile::Version::NotJet ? Verdict::NotOurs : Verdict::OldProgram;
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
    case Verdict::OldProgram:
        // Converting happens on the computer that holds the file, never across the network.
        return QStringLiteral("文件“%1”是旧版电子处方程序的数据库，本程序不能直接使用。\n"
                              "请在存放这个文件的电脑上启动本程序，按提示把它转换成新数据库后再使用。")
            .arg(shown);
    case Verdict::Missing:
    case Verdict::Ours:
    case Verdict::Unreachable:
    case Verdict::OwnedByOther:
        break;
    }
    return QString();
}

bool DatabaseFileCheck::isDamaged(const QString &path, int busyTimeoutMs)
{
    return QFileInfo(path).isFile() && readHeader(path) == Header::Sqlite && !startupCheck(path, busyTimeoutMs).isEmpty();
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

QString DatabaseFileCheck::startupCheck(const QString &path, int busyTimeoutMs)
{
    QStringList problems;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取文件");
    const QByteArray header = file.read(100);
    const qint64 size = file.size();
    file.close();
    auto number = [&](int offset, int bytes) {
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = (value << 8) | quint8(header.at(offset + i));
        return value;
    };
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return QStringLiteral("文件头已损坏");
    const quint64 pageSize = number(16, 2) == 1 ? 65536 : number(16, 2);
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("文件头已损坏：页大小 %1").arg(pageSize);
    // The page count in the header is valid when its version stamp matches the change counter.
    const quint64 pages = number(28, 4);
    const bool pagesValid = pages > 0 && number(92, 4) == number(24, 4);
    // A journal left by an interrupted write is rolled back on the first read, which restores the size.
    const bool journal = QFileInfo(path + QStringLiteral("-journal")).size() > 0 || QFileInfo::exists(path + QStringLiteral("-wal"));
    if (pagesValid && !journal && quint64(size) < pages * pageSize)
        problems.append(QStringLiteral("文件比记录的短：应有 %1 页，实际只有 %2 字节，文件末尾已丢失").arg(pages).arg(size));

    // Each statement reads a few pages and lets go of the file at once.
    Database db(path, busyTimeoutMs);
    QSqlQuery tables = db.select(QStringLiteral("select name from sqlite_master where type = 'table'"));
    if (!tables.isActive())
        return db.readWasBusy() ? QString() : db.readError();
    QStringList names;
    while (tables.next())
        names.append(tables.value(0).toString());
    for (const QString &table : std::as_const(names)) {
        QSqlQuery first = db.select(QStringLiteral("select * from %1 limit 1").arg(quotedName(table)));
        if (first.isActive())
            first.next();
        const QString error = first.isActive() ? first.lastError().text() : db.readError();
        if (!first.isActive() && db.readWasBusy())
            continue;
        if (!error.trimmed().isEmpty())
            problems.append(QStringLiteral("表“%1”：%2").arg(table, error.trimmed()));
    }
    return problems.join(QLatin1Char('\n'));
}
