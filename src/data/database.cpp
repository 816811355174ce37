#include "data/database.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QAtomicInt connectionCounter;
}

Database::Database(const QString &path)
    : m_path(path)
    , m_name(QStringLiteral("quillon-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
}

Database::~Database()
{
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
}

QString Database::connectionText(const QString &path)
{
    return QStringLiteral("Driver=QSQLITE;Data Source=%1;").arg(path);
}

QSqlDatabase Database::connection()
{
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            return db;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                     : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // Never create a file here (SQLite would): a missing database is created only by start-up.
    if (!QFileInfo::exists(m_path)) {
        m_lastError = QStringLiteral("找不到数据库文件“%1”").arg(m_path);
        return db;
    }
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        m_lastError = db.lastError().text();
        return db;
    }
    m_lastError.clear();
    return db;
}
