#include "app/messagelog.h"

#include <atomic>
#include <cstdio>

#include <QString>

#include "app/logfile.h"

namespace {

// Qt's handler is a plain function: the log it writes to can only be reached through this.
std::atomic<LogFile *> installedLog = nullptr;
std::atomic<QtMessageHandler> previousHandler = nullptr;

QString levelName(QtMsgType type)
{
    switch (type) {
    case QtInfoMsg:
        return QStringLiteral("信息");
    case QtWarningMsg:
        return QStringLiteral("警告");
    case QtCriticalMsg:
        return QStringLiteral("错误");
    case QtFatalMsg:
        return QStringLiteral("严重错误");
    case QtDebugMsg:
        break;
    }
    return QString();
}

} // namespace

MessageLog::MessageLog(LogFile &log)
{
    Q_ASSERT(installedLog.load() == nullptr);
    installedLog = &log;
    m_previous = qInstallMessageHandler(&MessageLog::handle);
    previousHandler = m_previous;
}

MessageLog::~MessageLog()
{
    qInstallMessageHandler(m_previous);
    installedLog = nullptr;
    previousHandler = nullptr;
}

void MessageLog::handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    LogFile *log = installedLog.load();
    if (log && type != QtDebugMsg) {
        const bool ours = !context.category || qstrcmp(context.category, "default") == 0;
        log->write(levelName(type), ours ? message : QStringLiteral("%1: %2").arg(QLatin1String(context.category), message));
    }
    if (const QtMessageHandler previous = previousHandler.load())
        previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}
