#include "data/workloadrepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/sqldialect.h"

WorkloadRepository::WorkloadRepository(Database &main)
    : m_db(main)
{
}

WorkloadRepository::Read WorkloadRepository::perDay(const QDate &first, const QDate &last)
{
    Read read;
    // Grouped in the database over the date index: a year answers with one row per day.
    QSqlQuery query = m_db.select(QStringLiteral("select \"5\", count(*), %1 from \"档案\" "
                                                 "where \"5\" between ? and ? group by \"5\" order by \"5\"")
                                      .arg(SqlDialect::decimalSum(m_db.engine(), QStringLiteral("\"16\""))),
                                  {first.toString(Qt::ISODate), last.toString(Qt::ISODate)});
    if (!query.isActive()) {
        read.error = m_db.readError();
        return read;
    }
    while (query.next()) {
        read.days.append({QDate::fromString(query.value(0).toString(), Qt::ISODate), query.value(1).toInt(),
                          Amount::leadingNumber(query.value(2).toString())});
    }
    return read;
}
