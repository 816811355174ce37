#include "data/databasebackup.h"

#include <filesystem>
#include <sqlite3.h>
#include <system_error>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>


namespace {

constexpr int BusyRetries = 400;
// Between steps the file is free for this long: a writer's busy handler, sleeping up to 25
// milliseconds between tries once it has waited a while, gets its turn there.
constexpr int PauseMs = 25;
// A step aims at this long a hold of the file, whatever the disk's speed.
constexpr qint64 StepTargetNs = 12'000'000;
constexpr int FirstStepPages = 64;
// A busy disk or processor can make a large step slow before the step size adapts.
constexpr int MostStepPages = 1024;
// Writes come in bursts (a save writes several tables): after one made the copy start over,
// let the rest pass first.
constexpr int AfterRestartMs = 500;
// A copy overtaken by writes elsewhere for this long is given up (the older copy stays) rather
// than taken in one pass, which would make the other computers wait for the whole file.
constexpr qint64 MostCopyingMs = 30'000;

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

WriteResult sqliteFailure(int code, sqlite3 *db)
{
    const QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    return WriteResult::failure(describeDatabaseProblem(code, text), text);
}

// Copies the pages in steps sized to hold the file a few milliseconds each; a writer that is just
// committing makes a step busy, so wait and retry.
WriteResult runBackup(sqlite3 *source, sqlite3 *destination, const DatabaseBackup::Progress &progress)
{
    sqlite3_backup *backup = sqlite3_backup_init(destination, "main", source, "main");
    if (!backup)
        return sqliteFailure(sqlite3_errcode(destination), destination);
    int rc = SQLITE_OK;
    int pages = FirstStepPages;
    int busy = 0;
    int lastRemaining = -1;
    bool overtaken = false;
    QElapsedTimer copying;
    copying.start();
    QElapsedTimer timer;
    for (;;) {
        const int stepPages = pages;
        timer.start();
        rc = sqlite3_backup_step(backup, stepPages);
        const qint64 took = timer.nsecsElapsed();
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (++busy > BusyRetries)
                break;
            QThread::msleep(PauseMs);
            continue;
        }
        busy = 0;
        if (rc != SQLITE_OK)
            break;
        const int remaining = sqlite3_backup_remaining(backup);
        const int total = sqlite3_backup_pagecount(backup);
        if (progress)
            progress(total - remaining, total);
        if (took < StepTargetNs / 2)
            pages = qMin(pages * 2, MostStepPages);
        else if (took > StepTargetNs * 2)
            pages = qMax(pages / 2, 8);
        // Another connection wrote: SQLite began the copy again.
        const bool restarted = lastRemaining >= 0 && remaining != qMax(0, lastRemaining - stepPages);
        lastRemaining = remaining;
        if (restarted && copying.elapsed() > MostCopyingMs) {
            overtaken = true;
            break;
        }
        QThread::msleep(restarted ? AfterRestartMs : PauseMs);
    }
    if (rc == SQLITE_DONE && progress) {
        const int total = sqlite3_backup_pagecount(backup);
        progress(total, total);
    }
    sqlite3_backup_finish(backup);
    if (overtaken)
        return WriteResult::failure(QStringLiteral("其他电脑一直在写入数据，本次没能取得完整的副本。请在其他电脑空闲时再退出程序"));
    if (rc != SQLITE_DONE)
        return sqliteFailure(rc, nullptr);
    return WriteResult::success();
}

int reportCheckProgress(void *context)
{
    const auto *progress = static_cast<const DatabaseBackup::Progress *>(context);
    (*progress)(0, 0);
    return 0;
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

WriteResult DatabaseBackup::snapshot(const QString &sourcePath, const QString &copyPath, const Progress &progress, QString *damage)
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
        result = rc == SQLITE_OK ? runBackup(source, destination, progress) : sqliteFailure(rc, destination);
    }
    sqlite3_close(destination);
    sqlite3_close(source);

    if (result.ok) {
        // The full check: a damaged index key passes the quick one.
        const QString problems = integrityCheck(copyPath, progress);
        if (!problems.isEmpty()) {
            result = WriteResult::failure(QStringLiteral("检查发现数据库已损坏，为保护原有的备份副本，这次没有替换它"), problems.left(500));
            if (damage)
                *damage = problems;
        }
    }
    if (!result.ok) {
        QFile::remove(copyPath);
        result.message = QStringLiteral("备份“%1”失败：%2").arg(sourceName, result.message);
    }
    return result;
}

QString DatabaseBackup::integrityCheck(const QString &path, const Progress &progress)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList problems;
    sqlite3_stmt *statement = nullptr;
    if (rc == SQLITE_OK) {
        if (progress)
            sqlite3_progress_handler(db, 200000, reportCheckProgress, const_cast<Progress *>(&progress));
        rc = sqlite3_prepare_v2(db, "pragma integrity_check", -1, &statement, nullptr);
    }
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            const QString line = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
            if (line != QLatin1String("ok"))
                problems.append(line);
        }
    }
    if (rc != SQLITE_DONE)
        problems.append(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return problems.join(QLatin1Char('\n'));
}

QString DatabaseBackup::setAsidePath(const QString &target)
{
    return target + QStringLiteral(".previous");
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
        const QString previous = setAsidePath(target);
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
