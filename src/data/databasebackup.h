#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include "data/writeresult.h"

// Consistent copies of live database files, taken with SQLite's online backup while other
// computers may be writing to them. A copy replaces an older one only when it is complete and
// passes SQLite's quick_check, so a damaged database never pushes out the last good copy.
class DatabaseBackup
{
public:
    // Copies the source into a new file at copyPath and checks the copy; nothing is left at
    // copyPath when it fails.
    static WriteResult snapshot(const QString &sourcePath, const QString &copyPath);
    // Moves each finished copy (first) over its target (second): all of them or none.
    static WriteResult replaceTogether(const QList<QPair<QString, QString>> &copiesToTargets);
};
