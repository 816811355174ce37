#include "app/logfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString LogFolderName = QStringLiteral("日志");
const QString LogFileName = QStringLiteral("quillon.log");

} // namespace

LogFile::LogFile(const QString &dataFolder, const QString &computerName, qint64 maxBytes, int keptFiles)
    : m_folder(folderOf(dataFolder))
    , m_computerName(computerName)
    , m_maxBytes(maxBytes)
    , m_keptFiles(keptFiles)
{
}

QString LogFile::folderOf(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(LogFolderName);
}

QString LogFile::path() const
{
    return QDir(m_folder).filePath(LogFileName);
}

bool LogFile::write(const QString &level, const QString &text, const QDateTime &when)
{
    // One line per event: a text's own line breaks would make its continuation look like a new entry.
    QString flat = text.trimmed();
    flat.replace(QLatin1String("\r\n"), QStringLiteral(" ⏎ "));
    flat.replace(QLatin1Char('\n'), QStringLiteral(" ⏎ "));
    flat.replace(QLatin1Char('\r'), QStringLiteral(" ⏎ "));
    const QByteArray line = QStringLiteral("%1 %2 [%3] %4\n")
                                .arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), m_computerName, level, flat)
                                .toUtf8();

    QMutexLocker lock(&m_mutex);
    if (!QDir().mkpath(m_folder))
        return false;
    const qint64 size = QFileInfo(path()).size();
    if (size > 0 && size + line.size() > m_maxBytes)
        rotate();
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(line) == line.size();
}

void LogFile::rotate()
{
    const QString base = path();
    QFile::remove(base + QLatin1Char('.') + QString::number(m_keptFiles));
    for (int i = m_keptFiles - 1; i >= 1; --i)
        QFile::rename(base + QLatin1Char('.') + QString::number(i), base + QLatin1Char('.') + QString::number(i + 1));
    if (m_keptFiles > 0)
        QFile::rename(base, base + QStringLiteral(".1"));
    else
        QFile::remove(base);
}
