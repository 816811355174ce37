#pragma once

#include "data/databasekind.h"
#include "data/writeresult.h"

class Database;

// Brings a database file made by an older version up to what this version reads fast. Every
// step is idempotent and runs each time the files are opened.
class DatabaseUpgrade
{
public:
    // Creates the indexes of the table descriptions that the file lacks. A file that cannot take
    // them (read-only, held by another computer) still works, only its reports are slower.
    static WriteResult ensureIndexes(Database &db, DatabaseKind kind);
};
