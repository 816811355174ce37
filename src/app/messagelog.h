#pragma once

#include <QtGlobal>

class LogFile;

// Sends Qt's messages (qInfo, qWarning, qCritical, qFatal — from our code, Qt and its database
// drivers) to the log file as well as to the usual output, while it exists. Debug messages stay
// out of the log. Qt keeps one message handler per process, so only one may exist at a time.
class MessageLog
{
public:
    explicit MessageLog(LogFile &log);
    ~MessageLog();
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler m_previous;
};
