#pragma once

#include <QDir>
#include <QString>

#include "data/database.h"
#include "data/databaselocation.h"
#include "data/serveraddress.h"
#include "data/tabledefinition.h"

// Where a benchmark keeps its data: temporary SQLite files, or, with QUILLON_BENCH_SERVER set to
// a server address (see README), schemas of its own on that server, made afresh for the run. The
// same benchmark thus gives the SQLite and the PostgreSQL figures to compare.
inline bool benchOnServer()
{
    return !qEnvironmentVariableIsEmpty("QUILLON_BENCH_SERVER");
}

inline DatabaseLocation benchLocation(const QString &folder, DatabaseKind kind, const QString &schemaPrefix)
{
    if (!benchOnServer())
        return DatabaseLocation::file(QDir(folder).filePath(databaseFileName(kind)));
    const std::optional<ServerAddress> address = ServerAddress::parse(qEnvironmentVariable("QUILLON_BENCH_SERVER"));
    if (!address)
        qFatal("QUILLON_BENCH_SERVER is no server address");
    const QString schema = schemaPrefix + (kind == DatabaseKind::Main ? QStringLiteral("_main") : QStringLiteral("_stats"));
    Database admin(DatabaseLocation::server(*address, QStringLiteral("public")));
    admin.exec(QStringLiteral("drop schema if exists %1 cascade").arg(quotedName(schema)));
    return DatabaseLocation::server(*address, schema);
}

inline const char *benchEngine()
{
    return benchOnServer() ? "postgres" : "sqlite";
}
