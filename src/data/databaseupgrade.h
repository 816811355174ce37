#pragma once

#include "data/databasekind.h"
#include "data/writeresult.h"

class Database;

// Brings a file made by an earlier version up to what this version expects, without touching its
// rows: the indexes the lists need to answer quickly, the room the settlement's figures need, and
// the per-table change counters that spare the lists a reload when another table changed.
class DatabaseUpgrade
{
public:
    // The steps below but the change counters: tables first, then widths and indexes.
    static WriteResult apply(Database &db, DatabaseKind kind);
    // Adds the tables this version keeps that the file (or schema) lacks, empty, in one transaction.
    static WriteResult ensureTables(Database &db, DatabaseKind kind);
    static WriteResult ensureIndexes(Database &db, DatabaseKind kind);
    // Text columns whose width check is narrower than this version's get this version's width.
    // Widening a check never makes a stored row invalid, so only the table's description
    // changes: on SQLite its text in the schema, on the server the named check.
    static WriteResult widenColumns(Database &db, DatabaseKind kind);
    // Files only: the server schema has its counters from the start.
    static WriteResult ensureChangeCounters(Database &db, DatabaseKind kind);
};
