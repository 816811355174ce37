#include "data/answerwatchdog.h"

#include <chrono>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#ifdef QUILLON_HAVE_LIBPQ
#include <libpq-fe.h>
#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif
#endif

namespace {

#ifdef QUILLON_HAVE_LIBPQ
// libpq's connection behind Qt's driver; its type is named after libpq's struct.
PGconn *libpqConnection(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}
#endif

long long socketOf(const QSqlDatabase &db)
{
#ifdef QUILLON_HAVE_LIBPQ
    if (PGconn *connection = libpqConnection(db))
        return PQsocket(connection);
#else
    Q_UNUSED(db);
#endif
    return -1;
}

void cut(long long socket)
{
#ifdef QUILLON_HAVE_LIBPQ
#ifdef Q_OS_WIN
    ::shutdown(static_cast<SOCKET>(socket), SD_BOTH);
#else
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
#endif
#else
    Q_UNUSED(socket);
#endif
}

} // namespace

AnswerWatchdog::AnswerWatchdog(int waitMs)
    : m_waitMs(waitMs)
{
}

AnswerWatchdog::~AnswerWatchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void AnswerWatchdog::arm(const QSqlDatabase &db)
{
    const long long socket = socketOf(db);
    if (socket < 0 || m_waitMs <= 0)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_socket = socket;
        m_armed = true;
        m_fired = false;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_waitMs);
        // The thread is started on the first statement: most databases are files and never need it.
        if (!m_thread.joinable())
            m_thread = std::thread(&AnswerWatchdog::watch, this);
    }
    m_changed.notify_all();
}

bool AnswerWatchdog::disarm()
{
    std::lock_guard lock(m_mutex);
    m_armed = false;
    const bool fired = m_fired;
    m_fired = false;
    return fired;
}

bool AnswerWatchdog::connectionBroken(const QSqlDatabase &db)
{
#ifdef QUILLON_HAVE_LIBPQ
    if (PGconn *connection = libpqConnection(db))
        return PQstatus(connection) == CONNECTION_BAD;
#else
    Q_UNUSED(db);
#endif
    return false;
}

void AnswerWatchdog::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, m_deadline) == std::cv_status::timeout && m_armed && std::chrono::steady_clock::now() >= m_deadline) {
            // Under the lock: the statement cannot end and the socket be reused meanwhile.
            cut(m_socket);
            m_fired = true;
            m_armed = false;
        }
    }
}
