#include "data/databasefilecheck.h"

#include "data/database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace {

bool hasSqliteHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool holdsTables(const QString &path, const QStringList &tables)
{
    // A read-write connection: after a power cut SQLite must be able to roll back an unfinished
    // write from its journal, or a sound database would be taken for a foreign file. Only files
    // with SQLite's header get this far, and reading the table list writes nothing.
    Database db(path);
    QSqlQuery query(db.connection());
    query.prepare(QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = ?"));
    for (const QString &table : tables) {
        query.addBindValue(table);
        if (!query.exec() || !query.next() || query.value(0).toInt() != 1)
            return false;
    }
    return true;
}

} // namespace

DatabaseFileCheck::Verdict DatabaseFileCheck::check(const QString &path, DatabaseKind kind)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Verdict::Missing;
    if (!info.isFile() || !hasSqliteHeader(path))
        return Verdict::NotOurs;
    return holdsTables(path, requiredTables(kind)) ? Verdict::Ours : Verdict::NotOurs;
}
