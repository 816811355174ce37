#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The copies taken when the program closes: one folder per weekday under the backup root,
// so the clinic always has the newest copy of each of the last seven days.
class ExitBackup
{
public:
    // " 星期日" … " 星期六": the folder names keep their leading space.
    static QString weekdayFolderName(const QDate &date);

    // Copies both databases into the weekday folder; a missing statistics file is skipped.
    // Returns the messages of the copies that failed (empty when all went well).
    static QStringList run(const QString &mainDataPath, const QString &statsDataPath,
                           const QString &backupRoot, const QDate &date);
};
