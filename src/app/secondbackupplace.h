#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "base/writeresult.h"
#include "data/databaserestore.h"

// A second place for the exit backup (a USB stick, another disk, a network folder): each day's
// finished backup is copied there into a folder named by its date, and day folders older than the
// days to keep are removed. Chosen per computer, so it is kept in a small file in the data folder
// (readable even when a database file is damaged), not in the shared settings row.
class SecondBackupPlace
{
public:
    static constexpr int DefaultKeepDays = 30;

    explicit SecondBackupPlace(const QString &settingsFile);
    // The file in the data folder that holds the choice.
    static QString settingsFileIn(const QString &dataFolder);

    // Empty when none is chosen.
    QString folder() const;
    int keepDays() const;
    WriteResult save(const QString &folder, int keepDays);

    // "yyyy-MM-dd"; only folders named so are ever removed by the rotation.
    static QString dayFolderName(const QDate &date);
    static bool isDayFolderName(const QString &name, QDate *date = nullptr);
    // The files a backup folder may hold, as the exit backup names them.
    static QStringList backupFileNames();

    // Copies the backup files of `backupFolder` into place/yyyy-MM-dd (the older copies of that day
    // are replaced only when all new ones are there), then removes the day folders of this place
    // older than `keepDays`. Returns warnings; the backup folder itself is only read.
    static QStringList copy(const QString &backupFolder, const QString &place, const QDate &date, int keepDays,
                            const DatabaseRestore::CopyFile &copyFile = DatabaseRestore::copyToDisk);
    // Removes our day folders older than `keepDays` (today counts as the first); our files in them
    // are deleted and the folder only when nothing else is left in it.
    static QStringList rotate(const QString &place, const QDate &today, int keepDays);

private:
    QString m_settingsFile;
};
