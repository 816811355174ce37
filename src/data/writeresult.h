#pragma once

#include <QString>

class QSqlError;

// The outcome of a write. A refused write always carries a message a clinic user can read.
struct WriteResult
{
    bool ok = true;
    QString message;

    static WriteResult success() { return {}; }
    static WriteResult failure(const QString &message) { return {false, message}; }
    // Turns a database error into a Chinese message, naming the field a too-long value hit.
    static WriteResult fromSqlError(const QSqlError &error);
};
