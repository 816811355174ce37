#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class QSqlDatabase;

// Bounds the wait for the server's answer to one statement. The driver blocks until the answer
// comes, and a server that hangs (or a cable cut while nothing is being sent) never answers nor
// cancels anything; when the wait runs out, the watchdog shuts the connection's socket down from
// its own thread, so the blocked call returns at once with a lost connection.
class AnswerWatchdog
{
public:
    explicit AnswerWatchdog(int waitMs);
    ~AnswerWatchdog();
    AnswerWatchdog(const AnswerWatchdog &) = delete;
    AnswerWatchdog &operator=(const AnswerWatchdog &) = delete;

    // Starts the wait for a statement about to be sent on that connection (a server connection).
    void arm(const QSqlDatabase &db);
    // Ends the wait; true when it had run out and the connection was cut.
    bool disarm();

    // Whether libpq has given up on a server connection (a loss it noticed itself carries no
    // SQLSTATE); false when that cannot be told.
    static bool connectionBroken(const QSqlDatabase &db);

private:
    void watch();

    const int m_waitMs;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_thread;
    long long m_socket = -1;
    bool m_armed = false;
    bool m_fired = false;
    bool m_stopping = false;
    std::chrono::steady_clock::time_point m_deadline;
};
