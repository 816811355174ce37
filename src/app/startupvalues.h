#pragma once

#include <QString>

#include "data/databaselocation.h"

// The values start-up fixes once and every window reads; nothing else writes them.
struct StartupValues
{
    QString dataFolder;
    QString mainDb;
    QString statsDb;
    // The files; empty when the data is on a server.
    QString mainDataPath;
    QString statsDataPath;
    // Where the two databases are; a location that is no server stands for the files above.
    DatabaseLocation mainLocation;
    DatabaseLocation statsLocation;
    QString startupPrinterName;
    QString installationPrefix;
    // The login password as stored at start-up (not trimmed); a change takes effect next start.
    QString password;
    // Which data this run works on, as the main window's status bar says it all day.
    QString dataInUse;
    // The server the data belongs on when start-up could not reach it and the run works on the
    // local files instead; empty otherwise.
    QString unreachableServer;
};
