#include "data/databasefilecheck.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QAtomicInt checkCounter;

bool hasSqliteHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool holdsTables(const QString &path, const QStringList &tables)
{
    const QString name = QStringLiteral("quillon-check-%1").arg(checkCounter.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        // Not read-only: after a power cut SQLite must be able to roll back an unfinished write
        // from its journal, or a sound database would be taken for a foreign file. Only files
        // with SQLite's header get this far, and reading the table list writes nothing.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = ?"));
            ok = true;
            for (const QString &table : tables) {
                query.addBindValue(table);
                if (!query.exec() || !query.next() || query.value(0).toInt() != 1) {
                    ok = false;
                    break;
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
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
