#include "data/sqltransaction.h"

SqlTransaction::SqlTransaction(QSqlDatabase db)
    : m_db(db)
    , m_active(db.isOpen() && db.transaction())
{
}

SqlTransaction::~SqlTransaction()
{
    if (m_active)
        m_db.rollback();
}

bool SqlTransaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    return m_db.commit();
}
