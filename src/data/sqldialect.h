#pragma once

#include <QString>

#include "data/sqlengine.h"

// The few fragments the two engines spell differently; every other SQL text is the same on both.
namespace SqlDialect {

// The exact sum of the numbers the texts of a column begin with, as the shortest decimal text
// (see sqlfunctions.h). SQLite calls the program's own aggregate; the server sums numeric values
// from an inlined conversion, which its planner runs at the speed of a plain sum().
QString decimalSum(SqlEngine engine, const QString &column);

// A text column as an order-by key, blind to ASCII letter case: the column itself on SQLite (its
// NOCASE collation); on the server its lower-case text in the "C" collation, the same order
// without citext's slow comparison of every pair of rows.
QString caseBlindOrder(SqlEngine engine, const QString &column);

// The value of a column in the first stored row of a group: SQLite takes a bare column beside
// min(rowid) from that row, the server needs it spelt out.
QString firstInGroup(SqlEngine engine, const QString &column);

} // namespace SqlDialect
