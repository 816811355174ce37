#pragma once

#include "data/databasekind.h"
#include "data/writeresult.h"

class Database;

// Brings a file made by an earlier version up to what this version expects, without touching its
// rows: the indexes the lists need to answer quickly, and the per-table change counters that spare
// the lists a reload when another table changed.
class DatabaseUpgrade
{
public:
    static WriteResult ensureIndexes(Database &db, DatabaseKind kind);
    // Files only: the server schema has its counters from the start.
    static WriteResult ensureChangeCounters(Database &db, DatabaseKind kind);
};
