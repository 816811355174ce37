#pragma once

#include <QString>

// The outcome of a write (a database row, a file). A refused write always carries a message a
// clinic user can read, and the technical text as a detail for whoever maintains the computer.
struct WriteResult
{
    bool ok = true;
    QString message;
    QString detail;

    static WriteResult success() { return {}; }
    static WriteResult failure(const QString &message, const QString &detail = QString()) { return {false, message, detail}; }
    // A text longer than its field, named as the user knows it.
    static WriteResult tooLong(const QString &field, int width);

    // The message followed by the technical detail, for a message box.
    QString fullText() const;
};
