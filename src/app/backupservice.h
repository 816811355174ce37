#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/backupcatalogue.h"
#include "app/secondbackupplace.h"
#include "app/startupvalues.h"
#include "data/databasebackup.h"
#include "data/databaserestore.h"

// The backups of this run's data: the exit backup (weekday folder, then the second place), the
// list of backups, and the restore of one of them in place of the live files.
class BackupService
{
public:
    BackupService(const StartupValues &values, const QString &backupRoot);

    const QString &backupRoot() const { return m_backupRoot; }
    SecondBackupPlace &secondPlace() { return m_secondPlace; }
    bool onServer() const { return m_values.mainLocation.isServer(); }

    // Every backup, newest first, not yet inspected.
    QList<BackupEntry> list() const;

    struct Outcome
    {
        // The weekday backup failed (its older copies stay).
        QStringList failures;
        // Only the copy to the second place failed.
        QStringList warnings;
    };
    // The weekday backup, then, when it succeeded, its copy into the second place.
    Outcome backUp(const QDate &date, const QString &pgDump, const DatabaseBackup::Progress &progress = {});

    // Why the entry cannot replace the live data now (empty when it can): dumps of the server,
    // files on another computer, files another connection holds.
    QString restoreRefusal(const BackupEntry &entry, int busyWaitMs = 1000) const;
    // Replaces the live pair by the entry's; the live pair is kept first (`keptFolder`).
    WriteResult restore(const BackupEntry &entry, const QDateTime &now, QString *keptFolder = nullptr,
                        const DatabaseRestore::CopyFile &copy = DatabaseRestore::copyToDisk) const;

    // Where restores keep the live pairs they replaced.
    QString keptRoot() const { return DatabaseRestore::keptRoot(m_values.mainDataPath); }

    // How a server's dumps are restored by hand: the program does not replace the server's data
    // while other computers may be working on it.
    static QString serverRestoreText();

private:
    bool filesAreLocal() const;

    StartupValues m_values;
    QString m_backupRoot;
    SecondBackupPlace m_secondPlace;
};
