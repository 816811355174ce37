#pragma once

#include "app/drivelayout.h"
#include "app/startupvalues.h"

#include <QString>
#include <QStringList>

// What start-up found: the values for the run, the notices to show the user (in order), and,
// when the program cannot work safely, the one message to show before it ends.
struct StartupResult
{
    StartupValues values;
    QStringList notices;
    QString fatalError;

    bool canRun() const { return fatalError.isEmpty(); }
};

// Chooses the data folder, creates missing database files, picks local or shared databases
// and reads the login password. It never replaces or repairs an existing file.
class StartupRoutine
{
public:
    static StartupResult run(const DriveLayout &drives, const QString &defaultPrinterName,
                             const QString &prefix);

    static QString chooseDataFolder(const DriveLayout &drives);
    // The first line of 计算机名.txt, trimmed; empty when the file has none.
    static QString readComputerName(const QString &path);
};
