#pragma once

#include <QString>

#include "data/database.h"
#include "data/databasekind.h"

// Tells what an existing file is, without ever writing to it: a file of another kind (or a
// damaged one) must be left exactly as it is, a file another computer holds is busy (not
// foreign), and a file the user may not read or write is a permission problem. On the server the
// same is told of a schema: missing, ours (every table there), not ours, or ours but owned by
// another role so that the clinic's user may not use it (a restore made as the superuser).
class DatabaseFileCheck
{
public:
    // OldProgram: a file of the old Windows program (Jet), which start-up offers to convert.
    enum class Verdict { Missing, Ours, NotOurs, OldProgram, Busy, NoPermission, Unreachable, OwnedByOther };

    static Verdict check(const QString &path, DatabaseKind kind, int busyTimeoutMs = Database::DefaultBusyTimeoutMs);
    // A file, or a schema on the server; why the server could not be reached, or whom a schema of
    // ours belongs to, goes to `problem` (the message to show).
    static Verdict check(const DatabaseLocation &location, DatabaseKind kind, int busyTimeoutMs = Database::DefaultBusyTimeoutMs,
                         QString *problem = nullptr);
    // The message start-up shows for a verdict that stops it: not Missing, Ours or Unreachable
    // (an unreachable server leaves the data on the local files).
    static QString message(Verdict verdict, const QString &path);

    // A database file (by its header) that cannot be read as one: cut short, a damaged page, a
    // schema that cannot be read. Not a foreign file, and not one another computer holds.
    static bool isDamaged(const QString &path, int busyTimeoutMs = Database::DefaultBusyTimeoutMs);

    // SQLite's quick_check of a database file: empty when sound, else what it found.
    static QString quickCheck(const QString &path, int busyTimeoutMs = Database::DefaultBusyTimeoutMs);
    // The check at start-up, as cheap as the file is large: the header, the page count against the
    // file's size, the schema and the first rows of every table, each read short so that no other
    // computer waits for it. Empty when nothing was found; the full check runs on the exit backup.
    static QString startupCheck(const QString &path, int busyTimeoutMs = Database::DefaultBusyTimeoutMs);
};
