#pragma once

#include "data/databasekind.h"
#include "data/writeresult.h"

#include <QDateTime>
#include <QString>

class QSqlDatabase;

// Creates a missing database file with its tables and the rows a new clinic starts with.
// The file is built under a temporary name and moved into place only when complete, so an
// interrupted first start never leaves a half-made database, and an existing file is never replaced.
class DatabaseCreator
{
public:
    // The clock is a parameter so keys of the seed rows can be checked in tests.
    explicit DatabaseCreator(QDateTime now = QDateTime::currentDateTime());

    WriteResult create(const QString &path, DatabaseKind kind) const;

private:
    WriteResult populate(QSqlDatabase &db, DatabaseKind kind) const;
    WriteResult seedSettings(QSqlDatabase &db) const;
    WriteResult seedWordList(QSqlDatabase &db, const QString &table, const QString &resource) const;
    WriteResult seedTemplates(QSqlDatabase &db) const;
    WriteResult seedCatalogue(QSqlDatabase &db) const;

    QDateTime m_now;
};
