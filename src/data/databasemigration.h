#pragma once

#include <functional>

#include <QList>
#include <QString>

#include "data/databaselocation.h"
#include "data/writeresult.h"

// Moves a clinic from its two SQLite files to the PostgreSQL server: every row of every table is
// copied into the two schemas of an empty server database, in one transaction, so the server
// holds either all of the clinic's data or none of it. The files are only read.
class DatabaseMigration
{
public:
    struct TableCount
    {
        QString table;
        qint64 rows = 0;
    };
    struct Result
    {
        WriteResult write;
        // The rows copied per table, in creation order (main tables, then 统计).
        QList<TableCount> counts;
        bool cancelled = false;
    };
    // Rows copied so far and in all; returning false cancels (nothing stays on the server).
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // The targets are two schemas of one database on one server.
    static Result run(const QString &mainFile, const QString &statsFile, const DatabaseLocation &targetMain,
                      const DatabaseLocation &targetStats, const Progress &progress = {});
    // The clinic's own schemas on the server of that address.
    static Result run(const QString &mainFile, const QString &statsFile, const ServerAddress &server, const Progress &progress = {});

    // The report shown at the end: the rows per table.
    static QString summary(const Result &result);
};
