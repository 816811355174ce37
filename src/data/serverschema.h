#pragma once

#include <QString>
#include <QStringList>

#include "data/databasekind.h"

class TableDefinition;

// What a schema of ours on the PostgreSQL server holds beyond the tables of Tables::of(): the
// change counters every search list reloads by, and decimal_sum(), the exact sum SQLite gets from
// sqlfunctions.cpp. Everything is created in one transaction with the tables.
namespace ServerSchema {

// The hidden table of per-table change counters, bumped by a statement trigger on every table.
QString changeTable();

// The statements that make a new schema with every table of that kind, without rows; run with
// the schema first on the search path.
QStringList createStatements(const QString &schema, DatabaseKind kind);

// The statements that add one table to an existing schema of ours: the table, its indexes, its
// change trigger and its counter row.
QStringList tableStatements(const QString &schema, const TableDefinition &table);

// The search path of a connection to that schema (citext lives in public).
QString searchPathStatement(const QString &schema);

} // namespace ServerSchema
