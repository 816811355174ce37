#include "data/sqltransaction.h"

#include <QSqlQuery>

#include "data/database.h"

SqlTransaction::SqlTransaction(Database &db)
    : m_db(db)
{
    if (m_db.m_transactionDepth > 0) {
        ++m_db.m_transactionDepth;
        m_active = true;
        return;
    }
    // The write lock is taken now: a database another computer holds past the busy timeout is
    // reported before anything is written, not half-way through a save.
    m_begun = m_db.begin();
    if (!m_begun.ok)
        return;
    m_outermost = true;
    m_active = true;
    m_db.m_transactionDepth = 1;
    m_db.m_transactionDoomed = false;
}

SqlTransaction::~SqlTransaction()
{
    if (!m_active)
        return;
    if (!m_outermost) {
        --m_db.m_transactionDepth;
        m_db.m_transactionDoomed = true;
        return;
    }
    m_db.run(QStringLiteral("ROLLBACK"), {});
    m_db.m_transactionDepth = 0;
    m_db.m_transactionDoomed = false;
}

WriteResult SqlTransaction::commit()
{
    if (!m_active)
        return m_begun.ok ? WriteResult::failure(QStringLiteral("保存失败：这次保存已经结束。")) : m_begun;
    m_active = false;
    if (!m_outermost) {
        --m_db.m_transactionDepth;
        return WriteResult::success();
    }
    m_db.m_transactionDepth = 0;
    if (m_db.m_transactionDoomed) {
        m_db.m_transactionDoomed = false;
        m_db.run(QStringLiteral("ROLLBACK"), {});
        return WriteResult::failure(QStringLiteral("保存失败：其中一步没有完成，这次保存的内容已全部撤消。"));
    }
    // A connection lost from here on may have stored the unit: it is not tried again.
    m_db.m_commitSent = !m_db.m_transactionLost;
    const WriteResult committed = m_db.run(QStringLiteral("COMMIT"), {});
    if (!committed.ok)
        m_db.run(QStringLiteral("ROLLBACK"), {});
    return committed;
}
