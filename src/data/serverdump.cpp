#include "data/serverdump.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>

#include "data/database.h"
#include "data/serverschema.h"
#include "data/tables.h"

namespace {

constexpr int RowsPerRead = 5000;
constexpr int PgDumpTimeoutMs = 30 * 60 * 1000;

QString literal(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    // standard_conforming_strings is on (set at the top of the file): only the apostrophe is special.
    // A date's text is already yyyy-mm-dd.
    return quotedText(value.toString());
}

} // namespace

QString ServerDump::findPgDump()
{
    return QStandardPaths::findExecutable(QStringLiteral("pg_dump"));
}

WriteResult ServerDump::write(const DatabaseLocation &location, DatabaseKind kind, const QString &file, const QString &pgDump)
{
    if (!pgDump.isEmpty()) {
        QFile::remove(file);
        QProcess dump;
        dump.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
        dump.setProcessEnvironment(environment);
        dump.start(pgDump, {QStringLiteral("--dbname=") + location.address().conninfo(), QStringLiteral("--schema=") + location.schema(),
                            QStringLiteral("--no-password"), QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"), QStringLiteral("--encoding=UTF8"),
                            QStringLiteral("--file=") + file});
        if (dump.waitForFinished(PgDumpTimeoutMs) && dump.exitStatus() == QProcess::NormalExit && dump.exitCode() == 0)
            return WriteResult::success();
        dump.kill();
        dump.waitForFinished(1000);
        // pg_dump older than the server, or missing rights: the own export still gives a copy.
    }
    return exportTables(location, kind, file);
}

WriteResult ServerDump::exportTables(const DatabaseLocation &location, DatabaseKind kind, const QString &file)
{
    Database db(location);
    if (!db.connection().isOpen())
        return WriteResult::failure(QStringLiteral("备份“%1”失败：%2").arg(location.shownName(), db.lastError()));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return WriteResult::failure(QStringLiteral("无法写入备份文件“%1”：%2").arg(QDir::toNativeSeparators(file), out.errorString()));
    auto put = [&](const QString &line) { out.write(line.toUtf8() + '\n'); };
    put(QStringLiteral("-- Quillon: schema %1 of %2, exported %3; restore with: psql -1 -f <this file>")
            .arg(location.schema(), location.address().displayText(), QDateTime::currentDateTime().toString(Qt::ISODate)));
    put(QStringLiteral("SET client_encoding = 'UTF8';"));
    put(QStringLiteral("SET standard_conforming_strings = on;"));
    for (const QString &statement : ServerSchema::createStatements(location.schema(), kind))
        put(statement + QLatin1Char(';'));

    // One snapshot for every table, however long the export takes; a read-only transaction needs no
    // write lock, so it goes the way of a read.
    if (!db.select(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")).isActive())
        return WriteResult::failure(QStringLiteral("备份“%1”失败：%2").arg(location.shownName(), db.readError()));
    WriteResult result;
    for (const TableDefinition *table : Tables::of(kind)) {
        const QString names = quotedNames(table->columnNames());
        const int columns = int(table->columns().size());
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (").arg(quotedName(table->name()), names);
        const QString select = QStringLiteral("select rowid, %1 from %2 where rowid > ? order by rowid limit %3")
                                   .arg(names, quotedName(table->name()))
                                   .arg(RowsPerRead);
        qint64 last = 0;
        for (bool more = true; more;) {
            QSqlQuery rows = db.select(select, {last});
            if (!rows.isActive()) {
                result = WriteResult::failure(QStringLiteral("备份“%1”失败：%2").arg(location.shownName(), db.readError()));
                break;
            }
            int read = 0;
            while (rows.next()) {
                ++read;
                last = rows.value(0).toLongLong();
                QStringList values;
                for (int i = 1; i <= columns; ++i)
                    values.append(literal(rows.value(i)));
                put(insert + values.join(QStringLiteral(", ")) + QStringLiteral(");"));
            }
            more = read == RowsPerRead;
        }
        if (!result.ok)
            break;
    }
    db.select(QStringLiteral("ROLLBACK"));
    if (result.ok && (!out.flush() || out.error() != QFileDevice::NoError))
        result = WriteResult::failure(QStringLiteral("无法写入备份文件“%1”：%2").arg(QDir::toNativeSeparators(file), out.errorString()));
    out.close();
    if (!result.ok)
        QFile::remove(file);
    return result;
}
