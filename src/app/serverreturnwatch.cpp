#include "app/serverreturnwatch.h"

#include <QThread>

#include "data/database.h"

ServerReturnWatch::ServerReturnWatch(const DatabaseLocation &server, int intervalMs, QObject *parent)
    : QObject(parent)
    , m_server(server)
    , m_reached(std::make_shared<std::atomic_bool>(false))
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ServerReturnWatch::tryNow);
}

ServerReturnWatch::~ServerReturnWatch()
{
    m_timer.stop();
    if (m_attempt) {
        // An attempt ends within the connect timeout; the window closing waits for it.
        m_attempt->disconnect(this);
        m_attempt->wait();
        delete m_attempt;
    }
}

void ServerReturnWatch::start()
{
    m_timer.start();
}

void ServerReturnWatch::tryNow()
{
    if (m_attempt)
        return;
    const DatabaseLocation server = m_server;
    const std::shared_ptr<std::atomic_bool> reached = m_reached;
    // The connection is made, used and closed on that thread, as Qt's SQL connections must be.
    m_attempt = QThread::create([server, reached] {
        Database db(server, 2000);
        reached->store(db.connection().isOpen());
    });
    connect(m_attempt, &QThread::finished, this, &ServerReturnWatch::attemptDone);
    m_attempt->start();
}

void ServerReturnWatch::attemptDone()
{
    m_attempt->deleteLater();
    m_attempt = nullptr;
    if (!m_reached->load())
        return;
    m_timer.stop();
    emit serverBack();
}
