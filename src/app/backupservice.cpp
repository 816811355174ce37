#include "app/backupservice.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include "app/exitbackup.h"

BackupService::BackupService(const StartupValues &values, const QString &backupRoot)
    : m_values(values)
    , m_backupRoot(backupRoot)
    , m_secondPlace(SecondBackupPlace::settingsFileIn(values.dataFolder))
{
}

QList<BackupEntry> BackupService::list() const
{
    return BackupCatalogue::list(m_backupRoot, m_secondPlace.folder());
}

BackupService::Outcome BackupService::backUp(const QDate &date, const QString &pgDump, const DatabaseBackup::Progress &progress)
{
    Outcome outcome;
    outcome.failures = ExitBackup::run(m_values.mainLocation, m_values.statsLocation, m_backupRoot, date, pgDump, progress);
    const QString place = m_secondPlace.folder();
    // Only a finished backup goes on: a failed one left the older copies, which are there already.
    if (outcome.failures.isEmpty() && !place.isEmpty()) {
        const QString folder = QDir(m_backupRoot).filePath(ExitBackup::weekdayFolderName(date));
        outcome.warnings = SecondBackupPlace::copy(folder, place, date, m_secondPlace.keepDays());
        for (const QString &warning : std::as_const(outcome.warnings))
            qWarning().noquote() << QStringLiteral("第二备份位置：") + warning;
    }
    return outcome;
}

bool BackupService::filesAreLocal() const
{
    return !m_values.mainDataPath.isEmpty() && QFileInfo(m_values.mainDataPath).absolutePath() == QDir(m_values.dataFolder).absolutePath();
}

QString BackupService::serverRestoreText()
{
    return QStringLiteral("数据在数据库服务器上，其他电脑可能正在使用，程序不能直接替换服务器上的数据。\n"
                          "恢复服务器备份时，请先关闭所有电脑上的本程序，再由维护人员在备份文件夹中用 psql 恢复"
                          "“数据库.sql”和“药物统计.sql”（步骤见帮助“数据存放、多台电脑共用与备份恢复”一节）。");
}

QString BackupService::restoreRefusal(const BackupEntry &entry, int busyWaitMs) const
{
    if (entry.serverDump || onServer())
        return serverRestoreText();
    if (!filesAreLocal())
        return QStringLiteral("数据存放在其他电脑上（%1），不能在这台电脑上恢复。\n请在存放数据的那台电脑上恢复，恢复前先关闭其他电脑上的本程序。")
            .arg(QDir::toNativeSeparators(m_values.mainDataPath));
    for (const QString &path : {m_values.mainDataPath, m_values.statsDataPath}) {
        if (DatabaseRestore::inUse(path, busyWaitMs))
            return QStringLiteral("数据正被其他电脑或程序使用，现在不能恢复：\n%1\n\n请先关闭其他电脑上的本程序，再试一次。")
                .arg(QDir::toNativeSeparators(path));
    }
    return QString();
}

WriteResult BackupService::restore(const BackupEntry &entry, const QDateTime &now, QString *keptFolder,
                                   const DatabaseRestore::CopyFile &copy) const
{
    const QString refusal = restoreRefusal(entry);
    if (!refusal.isEmpty())
        return WriteResult::failure(refusal);
    return DatabaseRestore::restore({entry.mainFile(), entry.statsFile()}, {m_values.mainDataPath, m_values.statsDataPath}, now, keptFolder, copy);
}
