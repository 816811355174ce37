#pragma once

#include "data/databasecreator.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// A fresh database file of the given kind in its own temporary folder.
class TestDatabase
{
public:
    explicit TestDatabase(DatabaseKind kind = DatabaseKind::Main, const QDateTime &now = QDateTime::currentDateTime())
        : m_path(m_dir.filePath(databaseFileName(kind)))
    {
        const WriteResult created = DatabaseCreator(now).create(m_path, kind);
        if (!created.ok)
            qFatal("cannot create test database: %s", qPrintable(created.message));
    }

    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Runs one SQL text on a connection and returns the first column of every row.
inline QStringList column(QSqlDatabase db, const QString &sql, const QVariantList &bindings = {})
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant &value : bindings)
        query.addBindValue(value);
    QStringList values;
    if (!query.exec())
        return {QStringLiteral("<error: %1>").arg(query.lastError().text())};
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}
