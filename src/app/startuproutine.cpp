#include "app/startuproutine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "app/createfolderpath.h"
#include "data/database.h"
#include "data/databasecreator.h"
#include "data/databasefilecheck.h"
#include "data/databaserepair.h"
#include "data/databaseupgrade.h"
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
bool useServer(StartupResult &result, const QString &addressText, int busyTimeoutMs)
{
    const std::optional<ServerAddress> address = ServerAddress::parse(addressText);
    if (!address) {
        result.notices.append(RemoteUnreachable + QStringLiteral("\n\n详细信息：“%1”不是有效的数据库服务器地址。").arg(addressText));
        return false;
    }
    DatabaseLocation locations[2];
    for (const DatabaseKind kind : {DatabaseKind::Main, DatabaseKind::Stats}) {
        const DatabaseLocation location = DatabaseLocation::server(*address, DatabaseLocation::schemaOf(kind));
        QString problem;
        DatabaseFileCheck::Verdict verdict = DatabaseFileCheck::check(location, kind, busyTimeoutMs, &problem);
        if (verdict == DatabaseFileCheck::Verdict::Missing) {
            const WriteResult created = DatabaseCreator().create(location, kind);
            // Another computer starting at the same moment may have made it first.
            verdict = DatabaseFileCheck::check(location, kind, busyTimeoutMs, &problem);
            if (!created.ok && verdict != DatabaseFileCheck::Verdict::Ours) {
                result.fatalError = created.fullText();
                return true;
            }
        }
        if (verdict == DatabaseFileCheck::Verdict::Unreachable) {
            result.notices.append(RemoteUnreachable + QStringLiteral("\n\n详细信息：") + problem);
            return false;
        }
        if (verdict != DatabaseFileCheck::Verdict::Ours) {
            result.fatalError = QStringLiteral("数据库服务器上的“%1”不是本程序的数据。\n为了不破坏其中的数据，程序不会改动它，现在退出。\n"
                                               "请维护人员检查服务器上的数据库。")
                                    .arg(location.shownName());
            return true;
        }
        locations[kind == DatabaseKind::Main ? 0 : 1] = location;
    }
    StartupValues &values = result.values;
    values.mainLocation = locations[0];
    values.statsLocation = locations[1];
    values.mainDataPath.clear();
    values.statsDataPath.clear();
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

QString StartupRoutine::chooseDataFolder(const DriveLayout &drives)
{
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
    for (const auto &[path, kind] : {std::pair{localMain, DatabaseKind::Main}, std::pair{localStats, DatabaseKind::Stats}}) {
        const DatabaseFileCheck::Verdict verdict = DatabaseFileCheck::check(path, kind, busyTimeoutMs);
        if (refuse(result, verdict, path))
            return result;
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
        } else {
            if (refuse(result, DatabaseFileCheck::check(remoteMain, DatabaseKind::Main, busyTimeoutMs), remoteMain))
                return result;
            values.mainDataPath = remoteMain;
            values.statsDataPath = remote.filePath(databaseFileName(DatabaseKind::Stats));
        }
    }
    values.mainLocation = DatabaseLocation::file(values.mainDataPath);
    values.statsLocation = DatabaseLocation::file(values.statsDataPath);

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
        }
    }

    // Files of an earlier version get the indexes the lists need and the change counters; a file
    // that cannot take them (read-only, busy) still works, only more slowly.
    for (const auto &[path, kind] : {std::pair{values.mainDataPath, DatabaseKind::Main}, std::pair{values.statsDataPath, DatabaseKind::Stats}}) {
        // A damaged file is not written to.
        if (QFileInfo::exists(path) && !damaged.contains(path)) {
            Database db(path, busyTimeoutMs);
            DatabaseUpgrade::ensureIndexes(db, kind);
            DatabaseUpgrade::ensureChangeCounters(db, kind);
        }
    }

    return readPassword(result, busyTimeoutMs);
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
