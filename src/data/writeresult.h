#pragma once

#include <QString>

class QSqlError;

// The outcome of a write. A refused write always carries a message a clinic user can read, and
// the database's own technical text as a detail for whoever maintains the computer.
struct WriteResult
{
    bool ok = true;
    QString message;
    QString detail;
    // The server connection broke or stopped answering: nothing of the unit was stored (unless the
    // commit itself was lost on its way back), and the same write may succeed once it is back.
    bool connectionLost = false;

    static WriteResult success() { return {}; }
    static WriteResult failure(const QString &message, const QString &detail = QString()) { return {false, message, detail}; }
    // A text longer than its field, named as the user knows it.
    static WriteResult tooLong(const QString &field, int width);
    // Turns a database error into Chinese: the field a too-long value hit, a full disk, a file
    // another computer holds, a read-only or damaged file …; `action` begins the message.
    static WriteResult fromSqlError(const QSqlError &error, const QString &action = QStringLiteral("保存失败"));

    // The message followed by the technical detail, for a message box.
    QString fullText() const;
};

// The Chinese wording of a database problem (without the action), from SQLite's code and text.
QString describeDatabaseProblem(int sqliteCode, const QString &text);
// The same for the PostgreSQL server, from its SQLSTATE and text.
QString describeServerProblem(const QString &sqlState, const QString &text);

// Whether a SQLite result code (primary or extended) says another connection holds the file.
bool isSqliteBusy(int sqliteCode);
// Whether the server gave up waiting for a lock another connection holds.
bool isServerLockTimeout(const QString &sqlState);
// Whether the server's connection is gone, so the next use must open it again: by its SQLSTATE,
// or, for a loss libpq itself noticed (no SQLSTATE at all), by its text.
bool isServerConnectionLost(const QString &sqlState);
bool isServerConnectionLost(const QSqlError &error);
// Whether the server cancelled a statement that outlived its time limit.
bool isServerStatementTimeout(const QString &sqlState);
// What the user reads when the server was lost in the middle of an operation.
QString serverConnectionLostText();
