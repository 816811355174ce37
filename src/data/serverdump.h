#pragma once

#include <QString>

#include "data/databasekind.h"
#include "data/databaselocation.h"
#include "data/writeresult.h"

// A logical copy of one schema on the server, as an SQL text that psql restores: pg_dump's when it
// is installed, else the program's own export of every table (the statements that make a new
// schema, then one insert per row). Consistent while other computers write: either way reads one
// snapshot.
class ServerDump
{
public:
    // The pg_dump program of this computer; empty when none is installed.
    static QString findPgDump();

    // Writes the copy to `file` (replacing it); with an empty `pgDump` or when pg_dump fails, the
    // own export is written instead.
    static WriteResult write(const DatabaseLocation &location, DatabaseKind kind, const QString &file, const QString &pgDump);
    static WriteResult exportTables(const DatabaseLocation &location, DatabaseKind kind, const QString &file);
};
