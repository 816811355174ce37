#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "app/backupcatalogue.h"
#include "app/drivelayout.h"
#include "app/startupvalues.h"
#include "data/database.h"
#include "data/databaserestore.h"

// What start-up found: the values for the run, the notices and warnings to show the user (in
// order), and, when the program cannot work safely, the one message to show before it ends.
struct StartupResult
{
    StartupValues values;
    QStringList notices;
    // Damage found in a database file; the program still runs, and the damaged file never
    // replaces a good backup copy.
    QStringList warnings;
    // Files the last exit backup found damaged (the full check): the user is told and offered the
    // index repair.
    QStringList damagedFiles;
    QString fatalError;
    // The fatal error is a file another computer holds: trying again may succeed.
    bool retryable = false;
    // The data folder holds the old program's files: nothing was touched, and the program can
    // run only after they are converted (oldDataExplanation says what was found).
    bool oldDataFound = false;
    QString oldDataExplanation;
    // A local database file found damaged or unreadable (not busy, not foreign), and the newest
    // backup that passes its check: start-up offers to put it back in place of `restorePair`.
    QString damagedFile;
    std::optional<BackupEntry> restoreOffer;
    DatabaseRestore::Pair restorePair;

    bool canRun() const { return fatalError.isEmpty() && !oldDataFound; }
};

// Chooses the data folder, creates missing database files, picks local or shared databases,
// checks them and reads the login password. It never replaces or repairs an existing file.
class StartupRoutine
{
public:
    static StartupResult run(const DriveLayout &drives, const QString &defaultPrinterName, const QString &prefix,
                             int busyTimeoutMs = Database::DefaultBusyTimeoutMs);

    static QString chooseDataFolder(const DriveLayout &drives);
    // What the user is asked about a file the last exit backup found damaged.
    static QString damageRecordedText(const QString &path);
    // The question start-up asks about the offered backup.
    static QString restoreOfferText(const StartupResult &result);
    // The first line of 计算机名.txt, trimmed; empty when the file has none. A PostgreSQL
    // connection address there puts the data on that server instead of another computer's share.
    static QString readComputerName(const QString &path);

private:
    static StartupResult readPassword(StartupResult &result, int busyTimeoutMs);
    static void offerRestore(StartupResult &result, const QString &damagedPath, const DriveLayout &drives);
};
