#pragma once

#include "data/database.h"
#include "data/databasecreator.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A fresh database file of the given kind in its own temporary folder, with a Database on it
// that tests use to check what the code under test stored.
class TestDatabase
{
public:
    explicit TestDatabase(DatabaseKind kind = DatabaseKind::Main, const QDateTime &now = QDateTime::currentDateTime())
        : m_path(m_dir.filePath(databaseFileName(kind)))
    {
        const WriteResult created = DatabaseCreator(now).create(m_path, kind);
        if (!created.ok)
            qFatal("cannot create test database: %s", qPrintable(created.message));
        m_db = std::make_unique<Database>(m_path);
    }

    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    Database &database() { return *m_db; }
    QSqlDatabase connection() { return m_db->connection(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
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
