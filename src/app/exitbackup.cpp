#include "app/exitbackup.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/createfolderpath.h"
#include "data/databasebackup.h"
#include "data/databaserepair.h"
#include "data/serverdump.h"

QString ExitBackup::weekdayFolderName(const QDate &date)
{
    // Qt numbers Monday 1 … Sunday 7.
    static const QStringList names = {QStringLiteral(" 星期一"), QStringLiteral(" 星期二"), QStringLiteral(" 星期三"),
                                      QStringLiteral(" 星期四"), QStringLiteral(" 星期五"), QStringLiteral(" 星期六"),
                                      QStringLiteral(" 星期日")};
    return names.at(date.dayOfWeek() - 1);
}

QString ExitBackup::backupFileName(DatabaseKind kind, bool dump)
{
    return (kind == DatabaseKind::Main ? QStringLiteral("数据库") : QStringLiteral("药物统计"))
           + (dump ? QStringLiteral(".sql") : QStringLiteral(".dat"));
}

QStringList ExitBackup::run(const QString &mainDataPath, const QString &statsDataPath, const QString &backupRoot,
                            const QDate &date)
{
    return run(DatabaseLocation::file(mainDataPath), DatabaseLocation::file(statsDataPath), backupRoot, date, QString());
}

namespace {

QStringList backUp(const DatabaseLocation &main, const DatabaseLocation &stats, const QString &folder, const QString &pgDump,
                   const DatabaseBackup::Progress &progress)
{
    if (!createFolderPath(folder))
        return {QStringLiteral("无法创建备份文件夹“%1”，本次没有备份。").arg(QDir::toNativeSeparators(folder))};

    const QDir day(folder);
    QList<QPair<QString, QString>> copies;
    QStringList failures;
    for (const auto &[location, kind] : {std::pair{main, DatabaseKind::Main}, std::pair{stats, DatabaseKind::Stats}}) {
        // Without a statistics file there is nothing to copy; that is not a failure of the backup.
        if (!location.isServer() && kind == DatabaseKind::Stats && !QFileInfo::exists(location.path()))
            continue;
        const QString target = day.filePath(ExitBackup::backupFileName(kind, location.isServer()));
        const QString copy = target + QStringLiteral(".copying");
        copies.append({copy, target});
        if (progress)
            progress(0, -1);
        QString damage;
        const WriteResult copied = location.isServer() ? ServerDump::write(location, kind, copy, pgDump)
                                                       : DatabaseBackup::snapshot(location.path(), copy, progress, &damage);
        if (!copied.ok)
            failures.append(copied.fullText());
        // The live file has the damage the copy has; the next start tells the user and offers the repair.
        if (!damage.isEmpty() && DatabaseRepair::recordDamage(location.path(), damage))
            failures.append(QStringLiteral("下次启动程序时会提示修复“%1”。").arg(QDir::toNativeSeparators(location.path())));
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

} // namespace

QStringList ExitBackup::run(const DatabaseLocation &main, const DatabaseLocation &stats, const QString &backupRoot,
                            const QDate &date, const QString &pgDump, const DatabaseBackup::Progress &progress)
{
    const QString folder = QDir(backupRoot).filePath(weekdayFolderName(date));
    const QStringList failures = backUp(main, stats, folder, pgDump, progress);
    // The log keeps what the message box showed, for whoever looks into a missing copy later.
    if (failures.isEmpty())
        qInfo().noquote() << QStringLiteral("退出备份完成：%1").arg(QDir::toNativeSeparators(folder));
    for (const QString &failure : failures)
        qWarning().noquote() << QStringLiteral("退出备份失败：") + failure;
    return failures;
}
