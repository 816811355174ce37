#pragma once

class QSqlDatabase;

// Functions our SQL texts use beyond SQLite's own, added to every connection when it opens.
//
// decimal_sum(x): the exact sum of the numbers the texts begin with (Amount::leadingNumber, as a
// text-to-number conversion reads them), returned as the shortest decimal text. Null and empty
// values are left out; a text that does not begin with a number counts as 0. Null when no value
// took part, as sum() of nothing is. SQLite's own sum() goes through binary floating point.
bool registerSqlFunctions(const QSqlDatabase &db);
