#pragma once

#include "data/writeresult.h"

#include <QString>

// A consistent copy of a live database file, taken with SQLite's online backup while other
// computers may be writing to it. The old copy is replaced only once the new one is complete.
class DatabaseBackup
{
public:
    static WriteResult copy(const QString &sourcePath, const QString &destinationPath);
};
