#pragma once

#include <QDateTime>
#include <QString>

#include "data/database.h"
#include "data/writeresult.h"

// Damage the full check of the exit backup found in a live database file: recorded beside the file
// so that the next start (on any computer sharing it) tells the user, and the repair SQLite can do
// for damaged indexes, taken only after a copy of the damaged file is kept.
class DatabaseRepair
{
public:
    // Where the damage of that file is recorded.
    static QString recordPath(const QString &dataPath);
    static bool recordDamage(const QString &dataPath, const QString &problems);
    // What was recorded; empty when nothing was.
    static QString recordedDamage(const QString &dataPath);

    // Copies the damaged file beside it (the copy's path to `keptCopy`), rebuilds every index with
    // other computers' writes held off, and checks the whole file again: the record is removed when
    // the file is sound, else the result says what is still damaged.
    static WriteResult reindex(const QString &dataPath, const QDateTime &now, QString *keptCopy = nullptr,
                               int busyTimeoutMs = Database::DefaultBusyTimeoutMs);
};
