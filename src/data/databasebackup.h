#pragma once

#include <functional>

#include <QList>
#include <QPair>
#include <QString>

#include "data/writeresult.h"

// Consistent copies of live database files, taken with SQLite's online backup while other
// computers may be writing to them. The copy is made in short steps with the file released between
// them, so a writer elsewhere waits for one step at most; a write meanwhile makes the copy start
// over, and a copy overtaken by writes for half a minute is given up rather than taken with the
// file held. A copy replaces an older one only when it is complete and passes SQLite's full
// integrity_check (run on the copy, so it holds up nobody), so a damaged database never pushes out
// the last good copy.
class DatabaseBackup
{
public:
    // Told after every step: pages copied of the whole, 0 of 0 while the copy is checked, and a
    // negative whole while work of unknown length runs (a server's dump).
    using Progress = std::function<void(int done, int total)>;

    // Copies the source into a new file at copyPath and checks the copy; nothing is left at
    // copyPath when it fails. When the check finds damage, `damage` receives what it found (the
    // source has the same damage: the copy is page for page).
    static WriteResult snapshot(const QString &sourcePath, const QString &copyPath, const Progress &progress = {},
                                QString *damage = nullptr);
    // SQLite's integrity_check of a file no one else uses: empty when sound, else what it found.
    static QString integrityCheck(const QString &path, const Progress &progress = {});
    // Moves each finished copy (first) over its target (second): all of them or none. The targets
    // are first set aside (setAsidePath) and removed once every copy is in place.
    static WriteResult replaceTogether(const QList<QPair<QString, QString>> &copiesToTargets);
    static QString setAsidePath(const QString &target);
};
