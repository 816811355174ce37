#include "app/exitbackup.h"

#include "app/createfolderpath.h"
#include "data/databasebackup.h"

#include <QDir>
#include <QFile>
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

    const QDir day(folder);
    QList<QPair<QString, QString>> copies = {{day.filePath(QStringLiteral("数据库.dat.copying")), day.filePath(QStringLiteral("数据库.dat"))}};
    // Without a statistics file there is nothing to copy; that is not a failure of the backup.
    if (QFileInfo::exists(statsDataPath))
        copies.append({day.filePath(QStringLiteral("药物统计.dat.copying")), day.filePath(QStringLiteral("药物统计.dat"))});

    QStringList failures;
    const WriteResult main = DatabaseBackup::snapshot(mainDataPath, copies.at(0).first);
    if (!main.ok)
        failures.append(main.fullText());
    if (copies.size() > 1) {
        const WriteResult stats = DatabaseBackup::snapshot(statsDataPath, copies.at(1).first);
        if (!stats.ok)
            failures.append(stats.fullText());
    }
    // The two copies of one day belong together: both replace the older pair, or neither does.
    if (failures.isEmpty()) {
        const WriteResult replaced = DatabaseBackup::replaceTogether(copies);
        if (!replaced.ok)
            failures.append(QStringLiteral("备份失败：%1").arg(replaced.fullText()));
    }
    if (!failures.isEmpty()) {
        for (const auto &copy : copies)
            QFile::remove(copy.first);
        failures.append(QStringLiteral("“%1”中原有的备份副本保持不变。").arg(QDir::toNativeSeparators(folder)));
    }
    return failures;
}
