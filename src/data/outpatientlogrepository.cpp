#include "data/outpatientlogrepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/sqldialect.h"

OutpatientLogRepository::OutpatientLogRepository(Database &main)
    : m_db(main)
{
}

OutpatientLogRepository::Read OutpatientLogRepository::visits(const QDate &from, const QDate &to, std::optional<int> limit)
{
    Read read;
    QString sql = QStringLiteral("select \"0\", \"1\", \"2\", \"6\", \"4\", \"5\" from \"档案\" where \"5\" between ? and ? "
                                 "order by %1")
                      .arg(SqlDialect::caseBlindOrder(m_db.engine(), QStringLiteral("\"序号\"")));
    QVariantList values = {from.toString(Qt::ISODate), to.toString(Qt::ISODate)};
    if (limit) {
        sql += QStringLiteral(" limit ?");
        values.append(*limit + 1);
    }
    QSqlQuery query = m_db.select(sql, values);
    if (!query.isActive()) {
        read.error = m_db.readError();
        return read;
    }
    while (query.next()) {
        if (limit && read.visits.size() == *limit) {
            read.visits.clear();
            read.tooMany = true;
            break;
        }
        read.visits.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                            query.value(3).toString(), query.value(4).toString(), query.value(5).toString()});
    }
    return read;
}
