#include "app/startuproutine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "app/createfolderpath.h"
#include "app/secondbackupplace.h"
#include "data/database.h"
#include "data/databasecreator.h"
#include "data/databasefilecheck.h"
#include "data/databaserepair.h"
#include "data/databaseupgrade.h"
#include "data/oldfileconversion.h"
#include "data/serveraddress.h"
#include "data/settingsrepository.h"

namespace {

const QString DataFolderName = QStringLiteral("电子处方数据库");
const QString ComputerNameFile = QStringLiteral("计算机名.txt");

bool folderIsWritable(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".写入测试-XXXXXX")));
    return probe.open();
}

// Stops start-up for a file that cannot be used as it is; a busy file may be tried again.
bool refuse(StartupResult &result, DatabaseFileCheck::Verdict verdict, const QString &path)
{
    if (verdict == DatabaseFileCheck::Verdict::Ours || verdict == DatabaseFileCheck::Verdict::Missing)
        return false;
    result.fatalError = DatabaseFileCheck::message(verdict, path);
    result.retryable = verdict == DatabaseFileCheck::Verdict::Busy;
    return true;
}

const QString RemoteUnreachable = QStringLiteral("无法连接远程数据库，患者数据将保存在本地数据库！");

// The data on the clinic's PostgreSQL server: each schema that is missing is made and seeded as a
// new file would be; one that is not ours stops the program. False when the server cannot be
// used, with the notice saying so (the program then works on the local files).
// Stops start-up at a schema that is there but cannot be used; true when it did.
bool refuseSchema(StartupResult &result, DatabaseFileCheck::Verdict verdict, const DatabaseLocation &location, const QString &problem)
{
    if (verdict == DatabaseFileCheck::Verdict::OwnedByOther) {
        result.fatalError = problem;
        return true;
    }
    if (verdict == DatabaseFileCheck::Verdict::Ours || verdict == DatabaseFileCheck::Verdict::Missing)
        return false;
    result.fatalError = QStringLiteral("数据库服务器上的“%1”不是本程序的数据。\n为了不破坏其中的数据，程序不会改动它，现在退出。\n"
                                       "请维护人员检查服务器上的数据库。")
                            .arg(location.shownName());
    return true;
}

bool useServer(StartupResult &result, const QString &addressText, int busyTimeoutMs)
{
    const std::optional<ServerAddress> address = ServerAddress::parse(addressText);
    if (!address) {
        result.notices.append(RemoteUnreachable
                              + QStringLiteral("\n\n详细信息：“%1”不是有效的数据库服务器地址。").arg(ServerAddress::withoutPassword(addressText)));
        result.values.dataInUse = QStringLiteral("数据：本机文件（服务器地址无效）");
        return false;
    }
    const DatabaseKind kinds[2] = {DatabaseKind::Main, DatabaseKind::Stats};
    DatabaseLocation locations[2];
    DatabaseFileCheck::Verdict verdicts[2];
    // Both schemas are looked at before either is made: a foreign one stops the program with the
    // server left exactly as it was.
    for (int i = 0; i < 2; ++i) {
        locations[i] = DatabaseLocation::server(*address, DatabaseLocation::schemaOf(kinds[i]));
        QString problem;
        verdicts[i] = DatabaseFileCheck::check(locations[i], kinds[i], busyTimeoutMs, &problem);
        if (verdicts[i] == DatabaseFileCheck::Verdict::Unreachable) {
            result.notices.append(RemoteUnreachable + QStringLiteral("\n\n详细信息：") + problem);
            result.values.dataInUse = QStringLiteral("数据：本机文件（服务器无法连接）");
            result.values.unreachableServer = address->displayText();
            return false;
        }
        if (refuseSchema(result, verdicts[i], locations[i], problem))
            return true;
    }
    for (int i = 0; i < 2; ++i) {
        if (verdicts[i] != DatabaseFileCheck::Verdict::Missing)
            continue;
        const WriteResult created = DatabaseCreator().create(locations[i], kinds[i]);
        // Another computer starting at the same moment may have made it first.
        QString problem;
        const DatabaseFileCheck::Verdict verdict = DatabaseFileCheck::check(locations[i], kinds[i], busyTimeoutMs, &problem);
        if (!created.ok && verdict != DatabaseFileCheck::Verdict::Ours) {
            result.fatalError = created.fullText();
            return true;
        }
        if (refuseSchema(result, verdict, locations[i], problem))
            return true;
    }
    // Schemas of an earlier version are upgraded as files are.
    for (int i = 0; i < 2; ++i) {
        Database db(locations[i], busyTimeoutMs);
        DatabaseUpgrade::apply(db, kinds[i]);
    }
    StartupValues &values = result.values;
    values.mainLocation = locations[0];
    values.statsLocation = locations[1];
    values.mainDataPath.clear();
    values.statsDataPath.clear();
    values.dataInUse = QStringLiteral("数据：服务器 %1").arg(address->host().startsWith(QLatin1Char('/')) ? QStringLiteral("本机") : address->host());
    return true;
}

QString damageWarning(const QString &path, const QString &problems)
{
    return QStringLiteral("数据库文件“%1”检查发现损坏的部分：\n%2\n\n"
                          "程序可以继续使用，但部分记录可能无法读取或保存。请尽快用备份文件夹中最近的完好副本恢复，"
                          "或交给维护人员检查。损坏的文件不会覆盖已有的备份副本。")
        .arg(QDir::toNativeSeparators(path), problems.left(500));
}

} // namespace

QString StartupRoutine::damageRecordedText(const QString &path)
{
    return QStringLiteral("上次退出时的完整检查发现数据库文件“%1”已损坏：\n%2\n\n"
                          "损坏的文件没有覆盖备份文件夹中的完好副本。如果只是索引损坏（例如按姓名查不到以前的处方），"
                          "程序可以重建索引来修复：修复前会先在同一文件夹中保留一份损坏文件的副本。\n\n现在修复吗？")
        .arg(QDir::toNativeSeparators(path), DatabaseRepair::recordedDamage(path).left(500));
}

QString StartupRoutine::restoreOfferText(const StartupResult &result)
{
    if (!result.restoreOffer)
        return QString();
    const BackupEntry &backup = *result.restoreOffer;
    return QStringLiteral("数据库文件“%1”已损坏或无法读取。\n\n"
                          "最近一份检查完好的备份是 %2 的（%3“%4”），其中有 %5 张处方、%6 位患者。\n\n"
                          "现在用这份备份恢复吗？恢复前，现在的数据文件会原样保存在“%7”文件夹中；"
                          "备份以后新开的处方不在这份备份中。")
        .arg(QDir::toNativeSeparators(result.damagedFile), backup.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")), backup.place,
             backup.name.trimmed())
        .arg(backup.prescriptions)
        .arg(backup.patients)
        .arg(QDir::toNativeSeparators(DatabaseRestore::keptRoot(result.restorePair.main)));
}

void StartupRoutine::offerRestore(StartupResult &result, const QString &damagedPath, const DriveLayout &drives)
{
    const QDir local(result.values.dataFolder);
    // Only the files of this computer: another computer's are restored there.
    if (QFileInfo(damagedPath).absolutePath() != local.absolutePath())
        return;
    result.damagedFile = damagedPath;
    result.restorePair = {local.filePath(databaseFileName(DatabaseKind::Main)), local.filePath(databaseFileName(DatabaseKind::Stats))};
    const SecondBackupPlace place(SecondBackupPlace::settingsFileIn(result.values.dataFolder));
    result.restoreOffer = BackupCatalogue::newestSound(drives.backupRoot(), place.folder());
}

QString StartupRoutine::chooseDataFolder(const DriveLayout &drives)
{
    if (!drives.dataFolder.isEmpty())
        return drives.dataFolder;
    if (!drives.dRoot.isEmpty()) {
        const QDir d(drives.dRoot);
        if (d.exists() && !d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty())
            return d.filePath(DataFolderName);
    }
    return QDir(drives.cRoot).filePath(DataFolderName);
}

QString StartupRoutine::readComputerName(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray line = file.readLine();
    if (line.startsWith("\xEF\xBB\xBF"))
        line.remove(0, 3);
    return QString::fromUtf8(line).trimmed();
}

StartupResult StartupRoutine::run(const DriveLayout &drives, const QString &defaultPrinterName, const QString &prefix,
                                  int busyTimeoutMs)
{
    StartupResult result;
    StartupValues &values = result.values;
    values.installationPrefix = prefix;
    values.startupPrinterName = defaultPrinterName;
    values.dataFolder = chooseDataFolder(drives);

    if (!createFolderPath(values.dataFolder)) {
        result.fatalError = QStringLiteral("无法创建数据文件夹“%1”。\n请检查磁盘是否可用、是否有写入权限。")
                                .arg(QDir::toNativeSeparators(values.dataFolder));
        return result;
    }
    if (!folderIsWritable(values.dataFolder)) {
        result.fatalError = QStringLiteral("数据文件夹“%1”不能写入，患者数据将无法保存。\n请检查磁盘空间和文件夹的写入权限。")
                                .arg(QDir::toNativeSeparators(values.dataFolder));
        return result;
    }
    // What an interrupted first start left behind.
    DatabaseCreator::removeLeftovers(values.dataFolder);

    const QDir local(values.dataFolder);
    const QString localMain = local.filePath(databaseFileName(DatabaseKind::Main));
    const QString localStats = local.filePath(databaseFileName(DatabaseKind::Stats));
    // A restore cut off half-way must not leave a missing file for the checks below to create anew.
    QString restoreNotice;
    const WriteResult finished = DatabaseRestore::finishInterrupted({localMain, localStats}, &restoreNotice);
    if (!finished.ok) {
        result.fatalError = finished.message;
        return result;
    }
    if (!restoreNotice.isEmpty())
        result.notices.append(restoreNotice);
    // The old program's files are not foreign: they are offered for conversion, and until then
    // nothing in the folder is created or changed.
    QStringList oldFiles;
    for (const QString &path : {localMain, localStats}) {
        if (OldFileConversion::isOldFile(path))
            oldFiles.append(QDir::toNativeSeparators(path));
    }
    if (!oldFiles.isEmpty()) {
        result.oldDataFound = true;
        result.oldDataExplanation = QStringLiteral("数据文件夹中的%1是旧版电子处方程序的数据库，本程序不能直接使用。\n"
                                                   "转换会把其中的全部数据（处方、患者、药品、模板、统计等）复制到新数据库中；"
                                                   "旧版数据库原样移到“%2”文件夹保存，不会被改动。")
                                        .arg(oldFiles.join(QStringLiteral("和")), QDir::toNativeSeparators(OldFileConversion::oldFilesFolder(values.dataFolder)));
        return result;
    }
    for (const auto &[path, kind] : {std::pair{localMain, DatabaseKind::Main}, std::pair{localStats, DatabaseKind::Stats}}) {
        const DatabaseFileCheck::Verdict verdict = DatabaseFileCheck::check(path, kind, busyTimeoutMs);
        if (refuse(result, verdict, path)) {
            if (verdict == DatabaseFileCheck::Verdict::NotOurs && DatabaseFileCheck::isDamaged(path, busyTimeoutMs))
                offerRestore(result, path, drives);
            return result;
        }
        if (verdict == DatabaseFileCheck::Verdict::Missing) {
            const WriteResult created = DatabaseCreator().create(path, kind);
            if (!created.ok) {
                result.fatalError = created.message;
                return result;
            }
        }
    }

    values.mainDataPath = localMain;
    values.statsDataPath = localStats;
    const QString nameFile = local.filePath(ComputerNameFile);
    const QString computer = QFileInfo::exists(nameFile) ? readComputerName(nameFile) : QString();
    if (ServerAddress::looksLikeAddress(computer)) {
        if (useServer(result, computer, busyTimeoutMs))
            return result.canRun() ? readPassword(result, busyTimeoutMs) : result;
    } else if (QFileInfo::exists(nameFile)) {
        const QDir remote(drives.remoteFolder(computer));
        const QString remoteMain = remote.filePath(databaseFileName(DatabaseKind::Main));
        if (computer.isEmpty() || !QFileInfo::exists(remoteMain)) {
            result.notices.append(RemoteUnreachable);
            values.dataInUse = QStringLiteral("数据：本机文件（%1无法连接）").arg(computer.isEmpty() ? QStringLiteral("共享电脑") : computer);
        } else {
            values.dataInUse = QStringLiteral("数据：%1 的共享文件").arg(computer);
            if (refuse(result, DatabaseFileCheck::check(remoteMain, DatabaseKind::Main, busyTimeoutMs), remoteMain))
                return result;
            values.mainDataPath = remoteMain;
            values.statsDataPath = remote.filePath(databaseFileName(DatabaseKind::Stats));
        }
    }
    values.mainLocation = DatabaseLocation::file(values.mainDataPath);
    values.statsLocation = DatabaseLocation::file(values.statsDataPath);
    if (values.dataInUse.isEmpty())
        values.dataInUse = QStringLiteral("数据：本机文件");

    // Damage found now is reported before it can spread into the backups. The check here costs the
    // same for a year's file as for ten years' (the full check runs on the exit backup's copy,
    // which holds up nobody); what that check found last time is told now.
    QStringList damaged;
    for (const QString &path : {values.mainDataPath, values.statsDataPath}) {
        if (!QFileInfo::exists(path))
            continue;
        if (!DatabaseRepair::recordedDamage(path).isEmpty()) {
            result.damagedFiles.append(path);
            damaged.append(path);
            continue;
        }
        const QString problems = DatabaseFileCheck::startupCheck(path, busyTimeoutMs);
        if (!problems.isEmpty()) {
            result.warnings.append(damageWarning(path, problems));
            damaged.append(path);
            if (!result.restoreOffer)
                offerRestore(result, path, drives);
        }
    }

    // Files of an earlier version get the indexes the lists need, the room the settlement's
    // figures need and the change counters; a file that cannot take them (read-only, busy) still
    // works, only more slowly.
    for (const auto &[path, kind] : {std::pair{values.mainDataPath, DatabaseKind::Main}, std::pair{values.statsDataPath, DatabaseKind::Stats}}) {
        // A damaged file is not written to.
        if (QFileInfo::exists(path) && !damaged.contains(path)) {
            Database db(path, busyTimeoutMs);
            DatabaseUpgrade::apply(db, kind);
            DatabaseUpgrade::ensureChangeCounters(db, kind);
        }
    }

    readPassword(result, busyTimeoutMs);
    // Settings that cannot be read are damage too, unless another computer holds the file.
    if (!result.fatalError.isEmpty() && !result.retryable && !result.restoreOffer)
        offerRestore(result, values.mainDataPath, drives);
    return result;
}

StartupResult StartupRoutine::readPassword(StartupResult &result, int busyTimeoutMs)
{
    StartupValues &values = result.values;
    values.mainDb = values.mainLocation.connectionText();
    values.statsDb = values.statsLocation.connectionText();
    // The password fails closed: settings that cannot be read never let an empty entry in.
    Database main(values.mainLocation, busyTimeoutMs);
    const std::optional<QString> password = SettingsRepository(main).password();
    if (!password) {
        result.retryable = main.readWasBusy();
        result.fatalError = result.retryable
            ? DatabaseFileCheck::message(DatabaseFileCheck::Verdict::Busy, values.mainLocation.shownName())
            : QStringLiteral("无法读取登录密码：数据库“%1”中的设置缺失或已损坏，程序不能登录。\n"
                             "请用备份文件夹中最近的完好副本恢复数据库，或交给维护人员检查。%2")
                  .arg(values.mainLocation.shownName(),
                       main.readError().isEmpty() ? QString() : QStringLiteral("\n\n详细信息：") + main.readError());
        return result;
    }
    values.password = *password;
    return result;
}
