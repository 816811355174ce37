#pragma once

#include <QString>

#include "base/writeresult.h"

class QSqlError;

// A database error in Chinese: the field a too-long value hit, a full disk, a file another
// computer holds, a read-only or damaged file …; `action` begins the message, the database's own
// text is the detail.
WriteResult writeResultOf(const QSqlError &error, const QString &action = QStringLiteral("保存失败"));

// The Chinese wording of a database problem (without the action), from SQLite's code and text.
QString describeDatabaseProblem(int sqliteCode, const QString &text);
// The same for the PostgreSQL server, from its SQLSTATE and text.
QString describeServerProblem(const QString &sqlState, const QString &text);

// Whether a SQLite result code (primary or extended) says another connection holds the file.
bool isSqliteBusy(int sqliteCode);
// Whether the server gave up waiting for a lock another connection holds.
bool isServerLockTimeout(const QString &sqlState);
// Whether the server's connection is gone, so the next use must open it again.
bool isServerConnectionLost(const QString &sqlState);
