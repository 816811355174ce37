#include "data/databasebackup.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace {

constexpr int BusyRetries = 100;
constexpr int BusyWaitMs = 50;

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

QString sqliteMessage(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// Copies every page in one pass; a writer that is just committing makes the step busy, so wait and retry.
WriteResult runBackup(sqlite3 *source, sqlite3 *destination)
{
    sqlite3_backup *backup = sqlite3_backup_init(destination, "main", source, "main");
    if (!backup)
        return WriteResult::failure(sqliteMessage(destination));
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < BusyRetries; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        QThread::msleep(BusyWaitMs);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return WriteResult::failure(QString::fromUtf8(sqlite3_errstr(rc)));
    return WriteResult::success();
}

} // namespace

WriteResult DatabaseBackup::copy(const QString &sourcePath, const QString &destinationPath)
{
    if (!QFileInfo::exists(sourcePath))
        return WriteResult::failure(QStringLiteral("找不到要备份的文件“%1”。").arg(sourcePath));
    const QString temp = destinationPath + QStringLiteral(".copying");
    QFile::remove(temp);

    sqlite3 *source = nullptr;
    sqlite3 *destination = nullptr;
    WriteResult result;
    if (sqlite3_open_v2(sourcePath.toUtf8().constData(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        result = WriteResult::failure(sqliteMessage(source));
    else if (sqlite3_open_v2(temp.toUtf8().constData(), &destination, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        result = WriteResult::failure(sqliteMessage(destination));
    else
        result = runBackup(source, destination);
    sqlite3_close(destination);
    sqlite3_close(source);

    if (result.ok) {
        std::error_code error;
        std::filesystem::rename(nativePath(temp), nativePath(destinationPath), error);
        if (error)
            result = WriteResult::failure(QString::fromStdString(error.message()));
    }
    QFile::remove(temp);
    if (!result.ok)
        result.message = QStringLiteral("备份“%1”失败：%2").arg(QFileInfo(sourcePath).fileName(), result.message);
    return result;
}
