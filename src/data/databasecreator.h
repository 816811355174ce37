#pragma once

#include <QDateTime>
#include <QString>

#include "data/databasekind.h"
#include "data/databaselocation.h"
#include "data/writeresult.h"

class Database;

// Creates a missing database file with its tables and the rows a new clinic starts with.
// The file is built under a temporary name and moved into place only when complete, so an
// interrupted first start never leaves a half-made database, and an existing file is never replaced.
// On the server the same happens to a new schema, in one transaction that a failure rolls back.
class DatabaseCreator
{
public:
    // The clock is a parameter so keys of the seed rows can be checked in tests.
    explicit DatabaseCreator(QDateTime now = QDateTime::currentDateTime());

    WriteResult create(const QString &path, DatabaseKind kind) const;
    WriteResult create(const DatabaseLocation &location, DatabaseKind kind) const;

    // The temporary files a creation leaves beside the target while it runs; an interrupted
    // first start leaves them behind, and the next start removes them.
    static QStringList leftovers(const QString &folder);
    static void removeLeftovers(const QString &folder);

    // The tables of that kind without any row, inside the transaction in progress: for a
    // server schema (the database's own unless named), the schema itself and what it needs beside
    // the tables, after which it comes first on the connection's search path.
    static WriteResult createTables(Database &db, DatabaseKind kind, const QString &schema = QString());

private:
    WriteResult createOnServer(const DatabaseLocation &location, DatabaseKind kind) const;
    WriteResult populate(Database &db, DatabaseKind kind) const;
    WriteResult seedSettings(Database &db) const;
    WriteResult seedWordList(Database &db, const QString &resource, bool diagnoses) const;
    WriteResult seedTemplates(Database &db) const;
    WriteResult seedCatalogue(Database &db) const;

    QDateTime m_now;
};
