#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "data/databasebackup.h"
#include "data/databasekind.h"
#include "data/databaselocation.h"

// The copies taken when the program closes: one folder per weekday under the backup root,
// so the clinic always has the newest copy of each of the last seven days.
class ExitBackup
{
public:
    // " 星期日" … " 星期六": the folder names keep their leading space.
    static QString weekdayFolderName(const QDate &date);
    // The name of a backup's copy of one file: "数据库.dat" and "药物统计.dat" (not the live
    // statistics file's name "用药统计.dat"), or with ".sql" for a server's dump.
    static QString backupFileName(DatabaseKind kind, bool dump);

    // Copies both databases into the weekday folder; a missing statistics file is skipped.
    // Returns the messages of the copies that failed (empty when all went well). A file whose copy
    // fails the full check is recorded as damaged (see DatabaseRepair) for the next start.
    static QStringList run(const QString &mainDataPath, const QString &statsDataPath,
                           const QString &backupRoot, const QDate &date);
    // The same wherever the data is: a file is copied as above, a schema on the server is written
    // as a logical dump ("数据库.sql", "药物统计.sql") through pg_dump when given (see ServerDump),
    // else through the program's own export.
    static QStringList run(const DatabaseLocation &main, const DatabaseLocation &stats, const QString &backupRoot,
                           const QDate &date, const QString &pgDump, const DatabaseBackup::Progress &progress = {});
};
