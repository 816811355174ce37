#pragma once

#include <optional>

#include <QDateTime>
#include <QList>
#include <QString>

// One backup the program knows: a weekday folder of the exit backup or a day folder of the second
// place, holding the pair of files (or, with the data on a server, the pair of dumps).
struct BackupEntry
{
    QString folder;
    // " 星期三" or "2026-12-10", as the folder is named.
    QString name;
    // "本机" or "第二备份位置".
    QString place;
    // When the copy was made: the newer of its files' times.
    QDateTime time;
    // Both files together, in bytes.
    qint64 size = 0;
    bool serverDump = false;
    // What inspect() found; -1 where it could not be read.
    bool inspected = false;
    int prescriptions = -1;
    int patients = -1;
    // Empty when the pair passed its check.
    QString problem;

    QString mainFile() const;
    QString statsFile() const;
};

// Every backup in the backup root's weekday folders and in the second place's day folders, newest
// first. Listing reads only the folders; inspect() checks a pair and counts what it holds, every
// time it is asked, so what is shown is what is on the disk now.
class BackupCatalogue
{
public:
    static QList<BackupEntry> list(const QString &backupRoot, const QString &secondPlace);
    static void inspect(BackupEntry &entry);
    // The newest backup of files (not dumps) that passes its check, inspected.
    static std::optional<BackupEntry> newestSound(const QString &backupRoot, const QString &secondPlace);
};
