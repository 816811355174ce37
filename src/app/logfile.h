#pragma once

#include <QDateTime>
#include <QMutex>
#include <QString>

// The program's log: one line per event, with the time and the computer's name, appended to
// 日志/quillon.log in the data folder. A file that would grow past its limit is moved aside as
// quillon.log.1 (the older ones to .2, .3 …) and a new one begun, so the log never fills a disk.
// It is for whoever maintains the computer: callers write technical texts, never a patient's data.
class LogFile
{
public:
    static constexpr qint64 DefaultMaxBytes = 1024 * 1024;
    static constexpr int DefaultKeptFiles = 3;

    explicit LogFile(const QString &dataFolder, const QString &computerName,
                     qint64 maxBytes = DefaultMaxBytes, int keptFiles = DefaultKeptFiles);

    static QString folderOf(const QString &dataFolder);
    QString path() const;

    // Safe from any thread. False when the line could not be written (nothing else can be done then).
    bool write(const QString &level, const QString &text, const QDateTime &when = QDateTime::currentDateTime());

private:
    void rotate();

    QString m_folder;
    QString m_computerName;
    qint64 m_maxBytes;
    int m_keptFiles;
    QMutex m_mutex;
};
