#include "app/secondbackupplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include "app/exitbackup.h"
#include "data/databasebackup.h"

namespace {

const QString FolderKey = QStringLiteral("backup/secondPlace");
const QString DaysKey = QStringLiteral("backup/keepDays");

} // namespace

SecondBackupPlace::SecondBackupPlace(const QString &settingsFile)
    : m_settingsFile(settingsFile)
{
}

QString SecondBackupPlace::settingsFileIn(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("备份设置.ini"));
}

QString SecondBackupPlace::folder() const
{
    return QSettings(m_settingsFile, QSettings::IniFormat).value(FolderKey).toString().trimmed();
}

int SecondBackupPlace::keepDays() const
{
    bool ok = false;
    const int days = QSettings(m_settingsFile, QSettings::IniFormat).value(DaysKey).toInt(&ok);
    return ok && days > 0 ? days : DefaultKeepDays;
}

WriteResult SecondBackupPlace::save(const QString &folder, int keepDays)
{
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue(FolderKey, folder.trimmed());
    settings.setValue(DaysKey, keepDays > 0 ? keepDays : DefaultKeepDays);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return WriteResult::failure(QStringLiteral("第二备份位置没有保存：无法写入“%1”。").arg(QDir::toNativeSeparators(m_settingsFile)));
    return WriteResult::success();
}

QString SecondBackupPlace::dayFolderName(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

bool SecondBackupPlace::isDayFolderName(const QString &name, QDate *date)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!pattern.match(name).hasMatch())
        return false;
    const QDate parsed = QDate::fromString(name, QStringLiteral("yyyy-MM-dd"));
    if (date)
        *date = parsed;
    return parsed.isValid();
}

QStringList SecondBackupPlace::backupFileNames()
{
    QStringList names;
    for (const bool dump : {false, true})
        names << ExitBackup::backupFileName(DatabaseKind::Main, dump) << ExitBackup::backupFileName(DatabaseKind::Stats, dump);
    return names;
}

QStringList SecondBackupPlace::copy(const QString &backupFolder, const QString &place, const QDate &date, int keepDays,
                                    const DatabaseRestore::CopyFile &copyFile)
{
    const QString shownPlace = QDir::toNativeSeparators(place);
    // A missing place is never made: a USB stick not plugged in would leave the copy on the
    // computer's own disk under the stick's path.
    if (!QFileInfo(place).isDir())
        return {QStringLiteral("第二备份位置“%1”不存在（U盘或网络文件夹没有连接？），这次只备份在本机。").arg(shownPlace)};
    const QString day = QDir(place).filePath(dayFolderName(date));
    if (!QDir().mkpath(day))
        return {QStringLiteral("无法在第二备份位置创建文件夹“%1”，这次只备份在本机。").arg(QDir::toNativeSeparators(day))};

    QList<QPair<QString, QString>> copies;
    QString failure;
    for (const QString &name : backupFileNames()) {
        const QString source = QDir(backupFolder).filePath(name);
        if (!QFileInfo::exists(source))
            continue;
        const QString target = QDir(day).filePath(name);
        const QString temporary = target + QStringLiteral(".copying");
        copies.append({temporary, target});
        const WriteResult copied = copyFile(source, temporary);
        if (!copied.ok) {
            failure = copied.fullText();
            break;
        }
    }
    if (failure.isEmpty() && !copies.isEmpty()) {
        const WriteResult replaced = DatabaseBackup::replaceTogether(copies);
        if (!replaced.ok)
            failure = replaced.fullText();
    }
    QStringList warnings;
    if (!failure.isEmpty()) {
        for (const auto &copy : std::as_const(copies))
            QFile::remove(copy.first);
        // A day folder this attempt made and could not fill is not left looking like a backup.
        QDir().rmdir(day);
        warnings.append(QStringLiteral("复制到第二备份位置“%1”失败（磁盘已满或无法写入？），这次只备份在本机：\n%2").arg(shownPlace, failure));
    }
    warnings.append(rotate(place, date, keepDays));
    return warnings;
}

QStringList SecondBackupPlace::rotate(const QString &place, const QDate &today, int keepDays)
{
    const QDate oldestKept = today.addDays(1 - qMax(1, keepDays));
    QStringList warnings;
    const QDir root(place);
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDate date;
        if (!isDayFolderName(name, &date) || date >= oldestKept)
            continue;
        QDir day(root.filePath(name));
        bool removed = true;
        for (const QString &file : backupFileNames()) {
            if (day.exists(file) && !day.remove(file))
                removed = false;
        }
        if (!removed) {
            warnings.append(QStringLiteral("第二备份位置中的旧备份“%1”无法删除。").arg(QDir::toNativeSeparators(day.path())));
            continue;
        }
        // Whatever else someone put there stays, and so does its folder.
        if (day.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty())
            root.rmdir(name);
    }
    return warnings;
}
