#include "data/databaserepair.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "data/databasebackup.h"
#include "data/sqltransaction.h"

QString DatabaseRepair::recordPath(const QString &dataPath)
{
    return dataPath + QStringLiteral(".损坏记录.txt");
}

bool DatabaseRepair::recordDamage(const QString &dataPath, const QString &problems)
{
    QSaveFile file(recordPath(dataPath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(problems.toUtf8());
    return file.commit();
}

QString DatabaseRepair::recordedDamage(const QString &dataPath)
{
    QFile file(recordPath(dataPath));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString problems = QString::fromUtf8(file.readAll()).trimmed();
    // An empty record still says the file was found damaged.
    return problems.isEmpty() ? QStringLiteral("（未记录详细信息）") : problems;
}

WriteResult DatabaseRepair::reindex(const QString &dataPath, const QDateTime &now, QString *keptCopy, int busyTimeoutMs)
{
    const QFileInfo info(dataPath);
    const QString copy = info.dir().filePath(QStringLiteral("%1-损坏-%2.%3")
                                                 .arg(info.completeBaseName(), now.toString(QStringLiteral("yyyyMMdd-HHmmss")), info.suffix()));
    {
        Database db(dataPath, busyTimeoutMs);
        // Writers are held off from the copy to the end of the rebuild, so the kept copy is the
        // file exactly as it was.
        SqlTransaction transaction(db);
        if (!transaction.isActive())
            return WriteResult::failure(QStringLiteral("修复失败，数据库没有改动：") + transaction.begun().message, transaction.begun().detail);
        QFile::remove(copy);
        if (!QFile::copy(dataPath, copy))
            return WriteResult::failure(QStringLiteral("修复前无法保留损坏文件的副本“%1”，数据库没有改动。").arg(QDir::toNativeSeparators(copy)));
        const WriteResult rebuilt = db.exec(QStringLiteral("REINDEX"));
        if (!rebuilt.ok)
            return WriteResult::failure(QStringLiteral("修复失败，数据库没有改动：") + rebuilt.message, rebuilt.detail);
        const WriteResult committed = transaction.commit();
        if (!committed.ok)
            return WriteResult::failure(QStringLiteral("修复失败，数据库没有改动：") + committed.message, committed.detail);
    }
    if (keptCopy)
        *keptCopy = copy;
    const QString problems = DatabaseBackup::integrityCheck(dataPath);
    if (!problems.isEmpty()) {
        recordDamage(dataPath, problems);
        return WriteResult::failure(QStringLiteral("重建索引后检查仍发现损坏，索引以外的数据也已损坏。请用备份文件夹中最近的完好副本恢复，"
                                                   "或交给维护人员检查。"),
                                    problems.left(500));
    }
    QFile::remove(recordPath(dataPath));
    return WriteResult::success();
}
