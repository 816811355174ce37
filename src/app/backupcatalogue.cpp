#include "app/backupcatalogue.h"

#include <algorithm>

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "app/exitbackup.h"
#include "app/secondbackupplace.h"
#include "data/databaserestore.h"

namespace {

const QString MainDat = ExitBackup::backupFileName(DatabaseKind::Main, false);
const QString MainSql = ExitBackup::backupFileName(DatabaseKind::Main, true);

std::optional<BackupEntry> entryIn(const QString &folder, const QString &name, const QString &place)
{
    const QDir dir(folder);
    BackupEntry entry;
    entry.folder = folder;
    entry.name = name;
    entry.place = place;
    // A folder with files takes them; dumps are listed only where there are no files.
    entry.serverDump = !dir.exists(MainDat) && dir.exists(MainSql);
    if (!dir.exists(MainDat) && !entry.serverDump)
        return std::nullopt;
    for (const QString &file : {entry.mainFile(), entry.statsFile()}) {
        const QFileInfo info(file);
        if (!info.exists())
            continue;
        entry.size += info.size();
        entry.time = std::max(entry.time, info.lastModified());
    }
    return entry;
}

} // namespace

QString BackupEntry::mainFile() const
{
    return QDir(folder).filePath(ExitBackup::backupFileName(DatabaseKind::Main, serverDump));
}

QString BackupEntry::statsFile() const
{
    return QDir(folder).filePath(ExitBackup::backupFileName(DatabaseKind::Stats, serverDump));
}

QList<BackupEntry> BackupCatalogue::list(const QString &backupRoot, const QString &secondPlace)
{
    QList<BackupEntry> entries;
    // Monday … Sunday: every weekday name, whatever day it is today.
    for (int day = 0; day < 7; ++day) {
        const QString name = ExitBackup::weekdayFolderName(QDate(2026, 12, 7).addDays(day));
        if (std::optional<BackupEntry> entry = entryIn(QDir(backupRoot).filePath(name), name, QStringLiteral("本机")))
            entries.append(*entry);
    }
    if (!secondPlace.isEmpty()) {
        const QDir place(secondPlace);
        for (const QString &name : place.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (!SecondBackupPlace::isDayFolderName(name))
                continue;
            if (std::optional<BackupEntry> entry = entryIn(place.filePath(name), name, QStringLiteral("第二备份位置")))
                entries.append(*entry);
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const BackupEntry &a, const BackupEntry &b) { return a.time > b.time; });
    return entries;
}

void BackupCatalogue::inspect(BackupEntry &entry)
{
    entry.inspected = true;
    if (entry.serverDump) {
        // A dump is a text for psql; its soundness shows only when it is restored.
        entry.problem.clear();
        entry.prescriptions = entry.patients = -1;
        return;
    }
    entry.problem = DatabaseRestore::backupProblem({entry.mainFile(), entry.statsFile()});
    const DatabaseRestore::Contents contents = entry.problem.isEmpty() ? DatabaseRestore::contents(entry.mainFile()) : DatabaseRestore::Contents{};
    entry.prescriptions = contents.prescriptions;
    entry.patients = contents.patients;
}

std::optional<BackupEntry> BackupCatalogue::newestSound(const QString &backupRoot, const QString &secondPlace)
{
    for (BackupEntry entry : list(backupRoot, secondPlace)) {
        if (entry.serverDump)
            continue;
        inspect(entry);
        if (entry.problem.isEmpty())
            return entry;
    }
    return std::nullopt;
}
