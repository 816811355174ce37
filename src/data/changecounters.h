#pragma once

#include <QString>
#include <QStringList>

#include "data/databasekind.h"
#include "data/writeresult.h"

class Database;

// Per-table change counters in a database file, so that a list held in memory reloads only when
// its own table changed, whoever wrote it. A row trigger on every table counts each insert, update
// and delete; updates and deletes are also counted apart, with the row id of the last of them, so a
// list in stored order knows when fetching the rows past the last one it holds, and the one row
// rewritten, is enough. An older version of the program writing
// to the file fires the same triggers; the tables themselves are untouched.
class ChangeCounters
{
public:
    // The counter table; the server schema has one of the same name.
    static QString tableName();
    // The counter table, its rows and the triggers of every table of that kind, for a new file.
    static QStringList createStatements(DatabaseKind kind);
    // Adds what an older file lacks, in one transaction; nothing is written when all is there.
    static WriteResult ensure(Database &db, DatabaseKind kind);
};
