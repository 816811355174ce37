#include "data/serversessionlimits.h"

QStringList ServerSessionLimits::connectOptions() const
{
    return {QStringLiteral("keepalives=1"), QStringLiteral("keepalives_idle=%1").arg(keepaliveIdleSeconds),
            QStringLiteral("keepalives_interval=%1").arg(keepaliveIntervalSeconds), QStringLiteral("keepalives_count=%1").arg(keepaliveCount),
            QStringLiteral("tcp_user_timeout=%1").arg(tcpUserTimeoutMs)};
}

QString ServerSessionLimits::sessionStatement(int lockTimeoutMs) const
{
    // The server's side of the keepalives finds a client whose cable was pulled.
    return QStringLiteral("SET lock_timeout = %1; SET idle_in_transaction_session_timeout = %2; SET statement_timeout = %3; "
                          "SET tcp_keepalives_idle = %4; SET tcp_keepalives_interval = %5; SET tcp_keepalives_count = %6; "
                          "SET tcp_user_timeout = %7; SET client_min_messages = warning")
        .arg(lockTimeoutMs)
        .arg(idleInTransactionMs)
        .arg(statementMs)
        .arg(keepaliveIdleSeconds)
        .arg(keepaliveIntervalSeconds)
        .arg(keepaliveCount)
        .arg(tcpUserTimeoutMs);
}
