#pragma once

#include <atomic>
#include <memory>

#include <QObject>
#include <QTimer>

#include "data/databaselocation.h"

class QThread;

// Watches for the clinic's server while a run works on the local files because the server could
// not be reached at start: every interval it tries to connect, on a thread of its own so that a
// server still away (a connect that waits for its timeout) never stalls a window, and says once
// when the server answers again.
class ServerReturnWatch : public QObject
{
    Q_OBJECT

public:
    ServerReturnWatch(const DatabaseLocation &server, int intervalMs, QObject *parent = nullptr);
    ~ServerReturnWatch() override;

    void start();
    // One attempt now (the timer makes the others).
    void tryNow();

signals:
    // The server can be connected to again; the watch has stopped.
    void serverBack();

private:
    void attemptDone();

    DatabaseLocation m_server;
    QTimer m_timer;
    QThread *m_attempt = nullptr;
    std::shared_ptr<std::atomic_bool> m_reached;
};
