#pragma once

#include <QString>

#include "data/databasekind.h"
#include "data/serveraddress.h"
#include "data/sqlengine.h"

// Where one of the two databases lives: a SQLite file, or a schema of its own in a database on a
// PostgreSQL server (the main and the statistics data each have one, side by side).
class DatabaseLocation
{
public:
    DatabaseLocation() = default;
    static DatabaseLocation file(const QString &path);
    static DatabaseLocation server(const ServerAddress &address, const QString &schema);
    // The schema that holds the data of that kind on a clinic's server.
    static QString schemaOf(DatabaseKind kind);

    SqlEngine engine() const { return m_engine; }
    bool isServer() const { return m_engine == SqlEngine::Postgres; }
    // The file (SQLite only).
    QString path() const { return m_path; }
    const ServerAddress &address() const { return m_address; }
    QString schema() const { return m_schema; }

    // The connection text kept as MainDb / StatsDb and shown to the user: never a password.
    QString connectionText() const;
    // The file or the server and schema, as a message names it.
    QString shownName() const;

private:
    SqlEngine m_engine = SqlEngine::Sqlite;
    QString m_path;
    ServerAddress m_address;
    QString m_schema;
};
