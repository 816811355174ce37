#pragma once

#include <memory>

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// One running copy per data folder. The first start holds a lock file in the folder and listens
// on a local socket named after the folder; a later start on the same folder finds the lock held,
// asks the running copy through the socket to bring its window to the front, and ends. Copies on
// different data folders run side by side. A copy that crashed leaves a lock that the next start
// recognises as stale and takes over.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        // This copy runs on the folder.
        Claimed,
        // Another copy runs on it and was asked to come to the front.
        RunningElsewhereAsked,
        // Another copy holds it but did not answer (still starting, or hung).
        RunningElsewhereSilent,
        // The lock could not be made (folder missing or read-only): start-up reports the folder.
        Unavailable,
    };

    explicit SingleInstance(const QString &dataFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    Claim claim(int answerTimeoutMs = 3000);

    static QString lockFileName();
    // The local socket's name: the same for every spelling of one folder, different for two folders.
    static QString serverName(const QString &dataFolder);

signals:
    // A later start on the same folder wants the running copy's window in front.
    void activationRequested();

private:
    bool askRunningCopy(int answerTimeoutMs) const;
    void listen();

    QString m_dataFolder;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};
