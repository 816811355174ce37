#pragma once

#include "data/databasekind.h"
#include "data/writeresult.h"

class Database;

// Brings a file made by an earlier version up to what this version expects, without touching its
// rows: today that is the indexes the lists need to answer quickly.
class DatabaseUpgrade
{
public:
    static WriteResult ensureIndexes(Database &db, DatabaseKind kind);
};
