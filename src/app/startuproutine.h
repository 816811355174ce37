#pragma once

#include <QString>
#include <QStringList>

#include "app/drivelayout.h"
#include "app/startupvalues.h"
#include "data/database.h"

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

    bool canRun() const { return fatalError.isEmpty(); }
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
    // The first line of 计算机名.txt, trimmed; empty when the file has none. A PostgreSQL
    // connection address there puts the data on that server instead of another computer's share.
    static QString readComputerName(const QString &path);

private:
    static StartupResult readPassword(StartupResult &result, int busyTimeoutMs);
};
