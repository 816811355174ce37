#pragma once

#include <benchmark/benchmark.h>
#include <functional>

#include <QDir>
#include <QString>

#include "data/database.h"
#include "data/databaselocation.h"
#include "data/serveraddress.h"
#include "data/tabledefinition.h"
#include "ui/widgets/filechooser.h"

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

// A window's file dialogs, always cancelled.
class NoFiles : public FileChooser
{
public:
    QString saveFileName(QWidget *, const QString &, const QString &) override { return QString(); }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return QString(); }
};

// The body of each benchmark's main() after its application object: reads the command line,
// calls prepare (data made once, outside every timing) and runs the benchmarks selected.
inline int runBenchmarks(int argc, char **argv, const std::function<void()> &prepare = {})
{
    benchmark::Initialize(&argc, argv);
    if (prepare)
        prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
