#pragma once

#include "data/writeresult.h"

class Database;

// One unit of writes on one database: begins on construction and rolls back on destruction unless
// committed. Guards nest: an inner guard joins the transaction in progress, its commit only ends
// its part, and an inner guard that ends without commit makes the whole unit roll back, so a save
// is stored completely or not at all.
class SqlTransaction
{
public:
    explicit SqlTransaction(Database &db);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    // Whether the transaction began (or was joined); when not, begun() says why.
    bool isActive() const { return m_active; }
    const WriteResult &begun() const { return m_begun; }
    // Stores the unit (outermost guard) or ends this guard's part (inner guard).
    WriteResult commit();

private:
    Database &m_db;
    bool m_outermost = false;
    bool m_active = false;
    WriteResult m_begun;
};
