#pragma once

#include <QSqlDatabase>

// One multi-row write: begins on construction, rolls back on destruction unless committed.
class SqlTransaction
{
public:
    explicit SqlTransaction(QSqlDatabase db);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    bool isActive() const { return m_active; }
    bool commit();

private:
    QSqlDatabase m_db;
    bool m_active = false;
};
