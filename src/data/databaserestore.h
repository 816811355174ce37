#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

#include "data/writeresult.h"

// Puts a backup pair (main and statistics file) back in place of the live files. Nothing is ever
// lost: the live pair is first copied into a dated folder beside it, and the backup is copied to
// new files beside the live ones before either live file is touched, so a full disk or a failing
// copy leaves the live files as they were. Both are replaced or neither.
class DatabaseRestore
{
public:
    struct Pair
    {
        QString main;
        QString stats;
    };
    // What a backup's main file holds; -1 where it could not be read.
    struct Contents
    {
        int prescriptions = -1;
        int patients = -1;
    };
    // Copies one file to a new file and makes sure its bytes are on the disk before returning;
    // tests pass one that fails half-way, as a full disk would.
    using CopyFile = std::function<WriteResult(const QString &from, const QString &to)>;

    static WriteResult copyToDisk(const QString &from, const QString &to);

    // Empty when the pair may replace the live files: both files there, each of its kind, and
    // passing SQLite's full integrity_check now; else what is wrong, in Chinese.
    static QString backupProblem(const Pair &backup);
    static Contents contents(const QString &mainFile);
    // Whether another connection (another computer's program, another process) holds the file now:
    // it cannot be locked for writing within `waitMs`.
    static bool inUse(const QString &path, int waitMs = 1000);
    // The folder beside the live main file where restores keep the pair they replaced.
    static QString keptRoot(const QString &liveMain);

    // `keptFolder` receives the dated folder the replaced pair went to (also when the replacement
    // failed after it was made).
    static WriteResult restore(const Pair &backup, const Pair &live, const QDateTime &now, QString *keptFolder = nullptr,
                               const CopyFile &copy = copyToDisk, int busyWaitMs = 1000);
    // Puts right what a restore the program did not live to finish left beside the live files:
    // once the backup's copies were whole and the replacing had begun, the restore is finished;
    // before that the half-made copies are removed (the live files were not touched yet).
    // `notice` receives what the user is told; empty when there was nothing to put right.
    static WriteResult finishInterrupted(const Pair &live, QString *notice);
};
