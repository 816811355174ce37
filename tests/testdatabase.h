#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include "data/database.h"
#include "data/databasecreator.h"
#include "data/databaselocation.h"
#include "data/tabledefinition.h"

// The data tests run twice: on SQLite files, and (when CTest sets QUILLON_TEST_ENGINE=postgres)
// on the throw-away server tests/postgres-cluster.sh started, whose address it wrote to the file
// QUILLON_TEST_SERVER_FILE names. Without that server the whole second run is skipped (exit 77).
inline bool testsOnServer()
{
    return qEnvironmentVariable("QUILLON_TEST_ENGINE") == QLatin1String("postgres");
}

inline ServerAddress testServerAddress()
{
    static const std::optional<ServerAddress> address = [] {
        const QString folder = QFileInfo(qEnvironmentVariable("QUILLON_TEST_SERVER_FILE")).absolutePath();
        QFile file(qEnvironmentVariable("QUILLON_TEST_SERVER_FILE"));
        if (!file.open(QIODevice::ReadOnly)) {
            QFile skipped(folder + QStringLiteral("/skipped"));
            const QString reason = skipped.open(QIODevice::ReadOnly) ? QString::fromUtf8(skipped.readAll()).trimmed()
                                                                     : QStringLiteral("no test server was started");
            std::printf("SKIP: PostgreSQL run skipped: %s\n", qPrintable(reason));
            std::fflush(stdout);
            std::exit(77);
        }
        return ServerAddress::parse(QString::fromUtf8(file.readAll()).trimmed());
    }();
    if (!address)
        qFatal("the test server's address cannot be read");
    return *address;
}

// A schema no other test uses, on the test server.
inline DatabaseLocation freshTestSchema()
{
    static int made = 0;
    return DatabaseLocation::server(testServerAddress(), QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(++made));
}

// Removes a test schema and everything in it.
inline void dropTestSchema(const DatabaseLocation &location)
{
    Database admin(DatabaseLocation::server(location.address(), QStringLiteral("public")), 2000);
    admin.exec(QStringLiteral("drop schema if exists %1 cascade").arg(quotedName(location.schema())));
}

// A fresh database of the given kind, with a Database on it that tests use to check what the code
// under test stored: a file in its own temporary folder, or a schema of its own on the test server.
class TestDatabase
{
public:
    explicit TestDatabase(DatabaseKind kind = DatabaseKind::Main, const QDateTime &now = QDateTime::currentDateTime())
        : m_path(m_dir.filePath(databaseFileName(kind)))
    {
        m_location = testsOnServer() ? freshTestSchema() : DatabaseLocation::file(m_path);
        if (testsOnServer())
            m_path.clear();
        const WriteResult created = DatabaseCreator(now).create(m_location, kind);
        if (!created.ok)
            qFatal("cannot create test database: %s", qPrintable(created.fullText()));
        m_db = std::make_unique<Database>(m_location);
    }
    ~TestDatabase()
    {
        m_db.reset();
        if (m_location.isServer())
            dropTestSchema(m_location);
    }

    // The file; empty on the server.
    QString path() const { return m_path; }
    const DatabaseLocation &location() const { return m_location; }
    QString folder() const { return m_dir.path(); }
    Database &database() { return *m_db; }
    QSqlDatabase connection() { return m_db->connection(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
    DatabaseLocation m_location;
    std::unique_ptr<Database> m_db;
};

// Writes a file with the given bytes (an empty file by default), making its folder.
inline bool writeTestFile(const QString &path, const QByteArray &content = QByteArray())
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(content) == content.size();
}

inline QByteArray readTestFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs one SQL text and returns the first column of every row.
inline QStringList column(Database &db, const QString &sql, const QVariantList &bindings = {})
{
    QSqlQuery query = db.select(sql, bindings);
    if (!query.isActive())
        return {QStringLiteral("<error: %1>").arg(db.readError())};
    QStringList values;
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

inline int count(Database &db, const QString &sql, const QVariantList &bindings = {})
{
    return column(db, sql, bindings).value(0).toInt();
}

// Zeroes the head of the first page of a table in a closed database file, as a failing disk
// sector would: the file stays a database, but that table can no longer be read.
inline bool damageTablePage(const QString &path, const QString &table)
{
    qint64 page = 0;
    qint64 pageSize = 0;
    {
        Database db(path);
        QSqlQuery root = db.select(QStringLiteral("select rootpage from sqlite_master where name = ?"), {table});
        QSqlQuery size = db.select(QStringLiteral("pragma page_size"));
        if (!root.next() || !size.next())
            return false;
        page = root.value(0).toLongLong();
        pageSize = size.value(0).toLongLong();
    }
    QFile file(path);
    if (page < 2 || !file.open(QIODevice::ReadWrite) || !file.seek((page - 1) * pageSize))
        return false;
    return file.write(QByteArray(64, '\0')) == 64;
}
