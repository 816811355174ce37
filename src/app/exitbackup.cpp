#include "app/exitbackup.h"

#include "app/createfolderpath.h"
#include "data/databasebackup.h"

#include <QDir>
#include <QFileInfo>

QString ExitBackup::weekdayFolderName(const QDate &date)
{
    // Qt numbers Monday 1 … Sunday 7.
    static const QStringList names = {QStringLiteral(" 星期一"), QStringLiteral(" 星期二"), QStringLiteral(" 星期三"),
                                      QStringLiteral(" 星期四"), QStringLiteral(" 星期五"), QStringLiteral(" 星期六"),
                                      QStringLiteral(" 星期日")};
    return names.at(date.dayOfWeek() - 1);
}

QStringList ExitBackup::run(const QString &mainDataPath, const QString &statsDataPath, const QString &backupRoot,
                            const QDate &date)
{
    const QString folder = QDir(backupRoot).filePath(weekdayFolderName(date));
    if (!createFolderPath(folder))
        return {QStringLiteral("无法创建备份文件夹“%1”，本次没有备份。").arg(QDir::toNativeSeparators(folder))};

    QStringList failures;
    const QDir day(folder);
    const WriteResult main = DatabaseBackup::copy(mainDataPath, day.filePath(QStringLiteral("数据库.dat")));
    if (!main.ok)
        failures.append(main.message);
    // Without a statistics file there is nothing to copy; that is not a failure of the backup.
    if (QFileInfo::exists(statsDataPath)) {
        const WriteResult stats = DatabaseBackup::copy(statsDataPath, day.filePath(QStringLiteral("药物统计.dat")));
        if (!stats.ok)
            failures.append(stats.message);
    }
    return failures;
}
