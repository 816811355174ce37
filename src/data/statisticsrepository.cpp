#include "data/statisticsrepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"

StatisticsRepository::StatisticsRepository(Database &db)
    : m_db(db)
{
}

WriteResult StatisticsRepository::replace(const QString &prescriptionId, const QString &date, const QList<StatisticsLine> &lines)
{
    return m_db.retryingLostConnection([&]() -> WriteResult {
        SqlTransaction transaction(m_db);
        if (!transaction.isActive())
            return transaction.begun();
        WriteResult result = m_db.exec(QStringLiteral("delete from \"统计\" where \"ID号\" = ?"), {prescriptionId});
        if (!result.ok)
            return result;
        QList<SqlRow> rows;
        for (const StatisticsLine &line : lines) {
            SqlRow row(Tables::statistics());
            row.set(QStringLiteral("ID号"), prescriptionId)
                .set(QStringLiteral("日期"), date)
                .set(QStringLiteral("名称"), line.name)
                .set(QStringLiteral("数量"), line.quantity)
                .set(QStringLiteral("单位"), line.unit)
                .set(QStringLiteral("单价"), line.unitPrice)
                .set(QStringLiteral("金额"), line.amount)
                .set(QStringLiteral("斗位"), line.drawer)
                .set(QStringLiteral("分类"), line.category);
            result = row.checkWidths();
            if (!result.ok) {
                result.message += QStringLiteral("（%1）").arg(line.name);
                return result;
            }
            rows.append(row);
        }
        // The lines go in one statement: one round trip to a server instead of one per line.
        result = m_db.insertAll(rows);
        if (!result.ok)
            return result;
        return transaction.commit();
    });
}

WriteResult StatisticsRepository::remove(const QString &prescriptionId)
{
    return m_db.exec(QStringLiteral("delete from \"统计\" where \"ID号\" = ?"), {prescriptionId});
}

int StatisticsRepository::countFor(const QString &prescriptionId)
{
    QSqlQuery query = m_db.select(QStringLiteral("select count(*) from \"统计\" where \"ID号\" = ?"), {prescriptionId});
    return query.next() ? query.value(0).toInt() : 0;
}
