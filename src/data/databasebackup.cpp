#include "data/databasebackup.h"

#include <filesystem>
#include <sqlite3.h>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "data/databasefilecheck.h"

namespace {

constexpr int BusyRetries = 100;
constexpr int BusyWaitMs = 50;

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

WriteResult sqliteFailure(int code, sqlite3 *db)
{
    const QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    return WriteResult::failure(describeDatabaseProblem(code, text), text);
}

// Copies every page in one pass; a writer that is just committing makes the step busy, so wait and retry.
WriteResult runBackup(sqlite3 *source, sqlite3 *destination)
{
    sqlite3_backup *backup = sqlite3_backup_init(destination, "main", source, "main");
    if (!backup)
        return sqliteFailure(sqlite3_errcode(destination), destination);
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < BusyRetries; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        QThread::msleep(BusyWaitMs);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return sqliteFailure(rc, nullptr);
    return WriteResult::success();
}

WriteResult renamed(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(nativePath(from), nativePath(to), error);
    if (error)
        return WriteResult::failure(QStringLiteral("无法把“%1”改名为“%2”").arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to)),
                                    QString::fromStdString(error.message()));
    return WriteResult::success();
}

} // namespace

WriteResult DatabaseBackup::snapshot(const QString &sourcePath, const QString &copyPath)
{
    const QString sourceName = QFileInfo(sourcePath).fileName();
    if (!QFileInfo::exists(sourcePath))
        return WriteResult::failure(QStringLiteral("找不到要备份的文件“%1”。").arg(QDir::toNativeSeparators(sourcePath)));
    QFile::remove(copyPath);

    sqlite3 *source = nullptr;
    sqlite3 *destination = nullptr;
    WriteResult result;
    int rc = sqlite3_open_v2(sourcePath.toUtf8().constData(), &source, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        result = sqliteFailure(rc, source);
    } else {
        rc = sqlite3_open_v2(copyPath.toUtf8().constData(), &destination, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        result = rc == SQLITE_OK ? runBackup(source, destination) : sqliteFailure(rc, destination);
    }
    sqlite3_close(destination);
    sqlite3_close(source);

    if (result.ok) {
        const QString problems = DatabaseFileCheck::quickCheck(copyPath);
        if (!problems.isEmpty())
            result = WriteResult::failure(QStringLiteral("检查发现数据库已损坏，为保护原有的备份副本，这次没有替换它"), problems.left(500));
    }
    if (!result.ok) {
        QFile::remove(copyPath);
        result.message = QStringLiteral("备份“%1”失败：%2").arg(sourceName, result.message);
    }
    return result;
}

WriteResult DatabaseBackup::replaceTogether(const QList<QPair<QString, QString>> &copiesToTargets)
{
    // Move the old copies aside first, so that a failure half-way can put every one of them back.
    QList<QPair<QString, QString>> setAside;
    QList<QString> placed;
    auto undo = [&] {
        for (const QString &target : placed)
            QFile::remove(target);
        for (const auto &[previous, target] : setAside)
            renamed(previous, target);
    };
    for (const auto &[copy, target] : copiesToTargets) {
        if (!QFileInfo::exists(target))
            continue;
        const QString previous = target + QStringLiteral(".previous");
        QFile::remove(previous);
        const WriteResult moved = renamed(target, previous);
        if (!moved.ok) {
            undo();
            return moved;
        }
        setAside.append({previous, target});
    }
    for (const auto &[copy, target] : copiesToTargets) {
        const WriteResult moved = renamed(copy, target);
        if (!moved.ok) {
            undo();
            return moved;
        }
        placed.append(target);
    }
    for (const auto &[previous, target] : setAside)
        QFile::remove(previous);
    return WriteResult::success();
}
