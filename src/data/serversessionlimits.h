#pragma once

#include <QStringList>

// How long one connection to the clinic's server may wait, so that no stuck computer blocks the
// others and no server that stops answering freezes a window: the server ends a session left
// idle inside a transaction (a frozen or unplugged writer gives the write lock back) and cancels
// a statement that runs too long; keepalives and the TCP user timeout notice a dead peer on both
// sides; and the program itself gives up on an answer that does not come.
struct ServerSessionLimits
{
    int idleInTransactionMs = 30000;
    int statementMs = 30000;
    // The program's own bound on waiting for any answer: a hung server cannot cancel anything.
    int answerWaitMs = 35000;
    int keepaliveIdleSeconds = 10;
    int keepaliveIntervalSeconds = 5;
    int keepaliveCount = 3;
    int tcpUserTimeoutMs = 20000;

    // libpq's settings for the connection itself.
    QStringList connectOptions() const;
    // The statement that sets the session's limits; the lock wait is the busy timeout.
    QString sessionStatement(int lockTimeoutMs) const;
};
