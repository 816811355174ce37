#include "app/startuproutine.h"

#include "app/createfolderpath.h"
#include "data/database.h"
#include "data/databasecreator.h"
#include "data/databasefilecheck.h"
#include "data/settingsrepository.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

const QString DataFolderName = QStringLiteral("电子处方数据库");
const QString ComputerNameFile = QStringLiteral("计算机名.txt");

QString notOursMessage(const QString &path)
{
    return QStringLiteral("文件“%1”不是本程序的数据库，或者已经损坏。\n"
                          "为了不破坏其中的数据，程序不会改动它，现在退出。\n"
                          "请把这个文件移走或交给维护人员检查后再启动程序。")
        .arg(QDir::toNativeSeparators(path));
}

bool folderIsWritable(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".写入测试-XXXXXX")));
    return probe.open();
}

// Creates the file if it is missing; an existing file must be one of ours. Returns an error text.
QString ensureDatabase(const QString &path, DatabaseKind kind)
{
    switch (DatabaseFileCheck::check(path, kind)) {
    case DatabaseFileCheck::Verdict::Ours:
        return QString();
    case DatabaseFileCheck::Verdict::NotOurs:
        return notOursMessage(path);
    case DatabaseFileCheck::Verdict::Missing:
        break;
    }
    const WriteResult created = DatabaseCreator().create(path, kind);
    if (!created.ok)
        return created.message;
    return QString();
}

} // namespace

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

StartupResult StartupRoutine::run(const DriveLayout &drives, const QString &defaultPrinterName, const QString &prefix)
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
        result.fatalError = QStringLiteral("数据文件夹“%1”不能写入，患者数据将无法保存。\n请检查磁盘和文件夹的写入权限。")
                                .arg(QDir::toNativeSeparators(values.dataFolder));
        return result;
    }

    const QDir local(values.dataFolder);
    const QString localMain = local.filePath(databaseFileName(DatabaseKind::Main));
    const QString localStats = local.filePath(databaseFileName(DatabaseKind::Stats));
    for (const auto &[path, kind] : {std::pair{localMain, DatabaseKind::Main}, std::pair{localStats, DatabaseKind::Stats}}) {
        const QString error = ensureDatabase(path, kind);
        if (!error.isEmpty()) {
            result.fatalError = error;
            return result;
        }
    }

    values.mainDataPath = localMain;
    values.statsDataPath = localStats;
    const QString nameFile = local.filePath(ComputerNameFile);
    if (QFileInfo::exists(nameFile)) {
        const QString computer = readComputerName(nameFile);
        const QDir remote(drives.remoteFolder(computer));
        const QString remoteMain = remote.filePath(databaseFileName(DatabaseKind::Main));
        if (computer.isEmpty() || !QFileInfo::exists(remoteMain)) {
            result.notices.append(QStringLiteral("无法连接远程数据库，患者数据将保存在本地数据库！"));
        } else if (DatabaseFileCheck::check(remoteMain, DatabaseKind::Main) == DatabaseFileCheck::Verdict::NotOurs) {
            result.fatalError = notOursMessage(remoteMain);
            return result;
        } else {
            values.mainDataPath = remoteMain;
            values.statsDataPath = remote.filePath(databaseFileName(DatabaseKind::Stats));
        }
    }
    values.mainDb = Database::connectionText(values.mainDataPath);
    values.statsDb = Database::connectionText(values.statsDataPath);

    Database main(values.mainDataPath);
    values.password = SettingsRepository(main).password().value_or(QString());
    return result;
}
