#pragma once

#include <optional>

#include <QDate>
#include <QString>

#include "data/databaselocation.h"
#include "data/writeresult.h"

// Brings the prescriptions of one day that a computer saved in its local files, while the
// clinic's server could not be reached, onto the server once it is back: each under its own key,
// with its statistics lines and its patient's register row, and only those the server does not
// have yet, so moving twice stores nothing twice. All in one transaction; the files are only read.
class LocalDayTransfer
{
public:
    struct Result
    {
        WriteResult write;
        int prescriptions = 0;
        int statisticsLines = 0;
        int patients = 0;
    };

    // How many prescriptions of that day the files hold that the server lacks; nothing when either
    // cannot be read (then `error` says why).
    static std::optional<int> pending(const QString &mainFile, const DatabaseLocation &serverMain, const QDate &day,
                                      QString *error = nullptr);
    // The server's two schemas are in one database, written through one connection.
    static Result run(const QString &mainFile, const QString &statsFile, const DatabaseLocation &serverMain,
                      const DatabaseLocation &serverStats, const QDate &day);
    // What the user is told afterwards.
    static QString summary(const Result &result);
};
