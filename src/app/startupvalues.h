#pragma once

#include <QString>

// The values start-up fixes once and every window reads; nothing else writes them.
struct StartupValues
{
    QString dataFolder;
    QString mainDb;
    QString statsDb;
    QString mainDataPath;
    QString statsDataPath;
    QString startupPrinterName;
    QString installationPrefix;
    // The login password as stored at start-up (not trimmed); a change takes effect next start.
    QString password;
};
