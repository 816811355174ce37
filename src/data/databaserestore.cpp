#include "data/databaserestore.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "data/database.h"
#include "data/databasebackup.h"
#include "data/databasefilecheck.h"
#include "data/databaserepair.h"
#include "data/databasekind.h"
#include "data/tabledefinition.h"
#include "data/tables.h"

namespace {

constexpr qint64 ChunkBytes = 1 << 20;
// What SQLite keeps beside a database file while it writes; a journal left by the replaced file
// must never be played into the restored one.
const QString RestoringSuffix = QStringLiteral(".restoring");
const QStringList CompanionSuffixes = {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

bool flushToDisk(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

void flushFolder(const QString &folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// A database file's exclusive lock, held from acquire() until release(): no other connection reads
// or writes the file meanwhile.
class ExclusiveLock
{
public:
    ExclusiveLock() = default;
    ExclusiveLock(const ExclusiveLock &) = delete;
    ExclusiveLock &operator=(const ExclusiveLock &) = delete;
    ~ExclusiveLock() { release(); }

    // False when another connection keeps the file longer than `waitMs`; a missing file has
    // nothing to hold.
    bool acquire(const QString &path, int waitMs)
    {
        release();
        if (!QFileInfo::exists(path))
            return true;
        bool busy = false;
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(m_db, waitMs);
            // Exclusive: also a reader elsewhere in the middle of a query counts.
            const int rc = sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
            busy = isSqliteBusy(rc) || isSqliteBusy(sqlite3_extended_errcode(m_db));
            m_held = rc == SQLITE_OK;
        }
        if (!m_held)
            release();
        return !busy;
    }

    void release()
    {
        if (m_held)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_held = false;
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    sqlite3 *m_db = nullptr;
    bool m_held = false;
};

QString kindProblem(const QString &path, DatabaseKind kind)
{
    if (!QFileInfo::exists(path))
        return QStringLiteral("备份中缺少“%1”").arg(QFileInfo(path).fileName());
    if (DatabaseFileCheck::check(path, kind) != DatabaseFileCheck::Verdict::Ours)
        return QStringLiteral("“%1”不是本程序的数据库，或者已经损坏").arg(QFileInfo(path).fileName());
    const QString problems = DatabaseBackup::integrityCheck(path);
    if (!problems.isEmpty())
        return QStringLiteral("“%1”检查发现损坏：%2").arg(QFileInfo(path).fileName(), problems.left(200));
    return QString();
}

} // namespace

WriteResult DatabaseRestore::copyToDisk(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return WriteResult::failure(QStringLiteral("无法读取“%1”").arg(QDir::toNativeSeparators(from)), source.errorString());
    QFile target(to);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return WriteResult::failure(QStringLiteral("无法写入“%1”").arg(QDir::toNativeSeparators(to)), target.errorString());
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(ChunkBytes);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            break;
        if (target.write(chunk) != chunk.size()) {
            const QString why = target.errorString();
            target.close();
            QFile::remove(to);
            return WriteResult::failure(QStringLiteral("写入“%1”失败，磁盘可能已满").arg(QDir::toNativeSeparators(to)), why);
        }
    }
    if (source.error() != QFileDevice::NoError || !flushToDisk(target) || target.size() != source.size()) {
        const QString why = source.error() != QFileDevice::NoError ? source.errorString() : target.errorString();
        target.close();
        QFile::remove(to);
        return WriteResult::failure(QStringLiteral("复制到“%1”没有完成，磁盘可能已满").arg(QDir::toNativeSeparators(to)), why);
    }
    return WriteResult::success();
}

QString DatabaseRestore::backupProblem(const Pair &backup)
{
    const QString main = kindProblem(backup.main, DatabaseKind::Main);
    if (!main.isEmpty())
        return main;
    return kindProblem(backup.stats, DatabaseKind::Stats);
}

DatabaseRestore::Contents DatabaseRestore::contents(const QString &mainFile)
{
    Contents result;
    if (!QFileInfo::exists(mainFile))
        return result;
    Database db(mainFile, 1000);
    auto counted = [&db](const TableDefinition &table) {
        const std::optional<QVariantList> row = db.firstRow(QStringLiteral("select count(*) from %1").arg(quotedName(table.name())));
        return row && !row->isEmpty() ? row->first().toInt() : -1;
    };
    result.prescriptions = counted(Tables::archive());
    result.patients = counted(Tables::patients());
    return result;
}

bool DatabaseRestore::inUse(const QString &path, int waitMs)
{
    ExclusiveLock lock;
    return !lock.acquire(path, waitMs);
}

QString DatabaseRestore::keptRoot(const QString &liveMain)
{
    return QFileInfo(liveMain).absoluteDir().filePath(QStringLiteral("恢复前的数据"));
}

WriteResult DatabaseRestore::restore(const Pair &backup, const Pair &live, const QDateTime &now, QString *keptFolder,
                                     const CopyFile &copy, int busyWaitMs)
{
    const QString problem = backupProblem(backup);
    if (!problem.isEmpty())
        return WriteResult::failure(QStringLiteral("这份备份没有通过检查，不能用它恢复：%1。").arg(problem));
    // Held until the files are replaced: a write elsewhere can neither tear the kept copy of the
    // live pair nor land in a file about to be replaced.
    ExclusiveLock locks[2];
    const QString livePaths[2] = {live.main, live.stats};
    for (int i = 0; i < 2; ++i) {
        if (!locks[i].acquire(livePaths[i], busyWaitMs))
            return WriteResult::failure(QStringLiteral("数据正被其他电脑或程序使用，现在不能恢复：\n%1\n\n请先关闭其他电脑上的本程序，再试一次。")
                                            .arg(QDir::toNativeSeparators(livePaths[i])));
    }

    const QList<QPair<QString, QString>> sourcesToLive = {{backup.main, live.main}, {backup.stats, live.stats}};
    QStringList temporaries;
    auto removeTemporaries = [&temporaries] {
        for (const QString &path : std::as_const(temporaries))
            QFile::remove(path);
    };
    // The backup goes beside the live files first: a full disk stops here, with nothing changed.
    for (const auto &[source, target] : sourcesToLive) {
        const QString temporary = target + RestoringSuffix;
        QFile::remove(temporary);
        temporaries.append(temporary);
        const WriteResult copied = copy(source, temporary);
        if (!copied.ok) {
            removeTemporaries();
            return WriteResult::failure(QStringLiteral("恢复没有进行，原来的数据没有改动：%1").arg(copied.message), copied.detail);
        }
    }

    QString kept = QDir(keptRoot(live.main)).filePath(now.toString(QStringLiteral("yyyy-MM-dd_HHmmss")));
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = QDir(keptRoot(live.main)).filePath(now.toString(QStringLiteral("yyyy-MM-dd_HHmmss")) + QStringLiteral("_%1").arg(n));
    if (!QDir().mkpath(kept)) {
        removeTemporaries();
        return WriteResult::failure(QStringLiteral("恢复没有进行，原来的数据没有改动：无法创建文件夹“%1”。").arg(QDir::toNativeSeparators(kept)));
    }
    // The live pair (with whatever SQLite left beside it) is kept whole before anything is replaced.
    for (const QString &path : {live.main, live.stats}) {
        for (const QString &suffix : CompanionSuffixes) {
            if (!QFileInfo::exists(path + suffix))
                continue;
            const WriteResult copied = copy(path + suffix, QDir(kept).filePath(QFileInfo(path).fileName() + suffix));
            if (!copied.ok) {
                removeTemporaries();
                QDir(kept).removeRecursively();
                return WriteResult::failure(QStringLiteral("恢复没有进行，原来的数据没有改动：%1").arg(copied.message), copied.detail);
            }
        }
    }
    flushFolder(kept);
    if (keptFolder)
        *keptFolder = kept;

    // A journal the replaced files left is no journal of the restored ones (its changes were
    // settled when the files were locked above, and it is kept with them).
    for (const QString &path : {live.main, live.stats}) {
        for (const QString &suffix : CompanionSuffixes.mid(1))
            QFile::remove(path + suffix);
    }
#ifdef Q_OS_WIN
    // Windows renames no file that is open, our own lock's included.
    for (ExclusiveLock &lock : locks)
        lock.release();
#endif
    const WriteResult replaced = DatabaseBackup::replaceTogether({{temporaries.at(0), live.main}, {temporaries.at(1), live.stats}});
    for (ExclusiveLock &lock : locks)
        lock.release();
    if (!replaced.ok) {
        removeTemporaries();
        return WriteResult::failure(QStringLiteral("恢复失败：%1。\n原来的数据没有改动，另有一份完整地保存在“%2”中。")
                                        .arg(replaced.message, QDir::toNativeSeparators(kept)),
                                    replaced.detail);
    }
    flushFolder(QFileInfo(live.main).absolutePath());
    // Damage recorded for the replaced files is not the restored files' (the record stays
    // with them in the kept folder).
    for (const QString &path : {live.main, live.stats}) {
        const QString record = DatabaseRepair::recordPath(path);
        if (QFileInfo::exists(record))
            QFile::rename(record, QDir(kept).filePath(QFileInfo(record).fileName()));
    }
    return WriteResult::success();
}

WriteResult DatabaseRestore::finishInterrupted(const Pair &live, QString *notice)
{
    notice->clear();
    const QStringList targets = {live.main, live.stats};
    bool replacing = false;
    bool copiesLeft = false;
    for (const QString &target : targets) {
        replacing = replacing || QFileInfo::exists(DatabaseBackup::setAsidePath(target));
        copiesLeft = copiesLeft || QFileInfo::exists(target + RestoringSuffix);
    }
    if (!replacing && !copiesLeft)
        return WriteResult::success();
    if (!replacing) {
        // Stopped while copying or keeping: the copies may be cut short, the live files are whole.
        for (const QString &target : targets)
            QFile::remove(target + RestoringSuffix);
        *notice = QStringLiteral("上次恢复备份没有完成（程序被中断），数据仍是恢复前的样子，没有改动。");
        return WriteResult::success();
    }
    // The copies were whole and flushed before anything was set aside: the restore is finished.
    for (const QString &target : targets) {
        const QString copy = target + RestoringSuffix;
        if (!QFileInfo::exists(copy))
            continue;
        QFile::remove(target);
        if (!QFile::rename(copy, target))
            return WriteResult::failure(QStringLiteral("上次恢复备份时程序被中断，现在无法完成恢复：无法把“%1”改名为“%2”。\n"
                                                       "恢复前的数据保存在“%3”中。")
                                            .arg(QDir::toNativeSeparators(copy), QDir::toNativeSeparators(target),
                                                 QDir::toNativeSeparators(keptRoot(live.main))));
    }
    for (const QString &target : targets)
        QFile::remove(DatabaseBackup::setAsidePath(target));
    flushFolder(QFileInfo(live.main).absolutePath());
    *notice = QStringLiteral("上次恢复备份时程序被中断，现已把恢复做完。恢复前的数据保存在“%1”中。")
                  .arg(QDir::toNativeSeparators(keptRoot(live.main)));
    return WriteResult::success();
}
