#include "data/usagestatisticsrepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/likepattern.h"
#include "data/sqldialect.h"
#include "text/nameorder.h"

namespace {

// Lines without a name are no drug: neither way of counting lists them.
const QString Range = QStringLiteral("\"分类\" like ? escape '\\' and \"日期\" between ? and ? and \"名称\" is not null");

std::optional<Amount> sumOf(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return Amount::leadingNumber(value.toString());
}

} // namespace

UsageStatisticsRepository::UsageStatisticsRepository(Database &stats)
    : m_db(stats)
{
}

UsageStatisticsRepository::Read UsageStatisticsRepository::totals(const QString &categoryPrefix, const QDate &first,
                                                                  const QDate &last)
{
    Read read;
    // The unit is the one of the name's first stored line.
    const SqlEngine engine = m_db.engine();
    QSqlQuery query = m_db.select(QStringLiteral("select \"名称\", %1, %2, %3, min(rowid) from \"统计\" where ")
                                          .arg(SqlDialect::firstInGroup(engine, QStringLiteral("\"单位\"")),
                                               SqlDialect::decimalSum(engine, QStringLiteral("\"数量\"")),
                                               SqlDialect::decimalSum(engine, QStringLiteral("\"金额\"")))
                                      + Range + QStringLiteral(" group by \"名称\" order by \"名称\""),
                                  {startsWithPattern(categoryPrefix), first.toString(Qt::ISODate), last.toString(Qt::ISODate)});
    if (!query.isActive()) {
        read.error = m_db.readError();
        return read;
    }
    while (query.next())
        read.totals.append({query.value(0).toString(), query.value(1).toString(), sumOf(query.value(2)), sumOf(query.value(3))});
    NameOrder::sort(read.totals, [](const auto &total) { return total.name; });
    return read;
}

UsageStatisticsRepository::Read UsageStatisticsRepository::totalsPerName(const QString &categoryPrefix, const QDate &first,
                                                                         const QDate &last)
{
    Read read;
    const QVariantList range = {startsWithPattern(categoryPrefix), first.toString(Qt::ISODate), last.toString(Qt::ISODate)};
    QSqlQuery names = m_db.select(QStringLiteral("select distinct \"名称\" from \"统计\" where ") + Range
                                      + QStringLiteral(" order by \"名称\""),
                                  range);
    if (!names.isActive()) {
        read.error = m_db.readError();
        return read;
    }
    QStringList found;
    while (names.next())
        found.append(names.value(0).toString());
    NameOrder::sort(found, [](const QString &name) { return name; });
    const QString from = QStringLiteral(" from \"统计\" where ") + Range + QStringLiteral(" and \"名称\" = ?");
    for (const QString &name : found) {
        const QVariantList values = range + QVariantList{name};
        // The first value the read returns (null when it returns no row); false when it failed.
        auto firstValue = [&](const QString &select, QVariant *value, const QString &order = QString()) {
            QSqlQuery query = m_db.select(select + from + order, values);
            if (!query.isActive())
                return false;
            if (query.next())
                *value = query.value(0);
            return true;
        };
        QVariant quantity;
        QVariant amount;
        QVariant unit;
        if (!firstValue(QStringLiteral("select ") + SqlDialect::decimalSum(m_db.engine(), QStringLiteral("\"数量\"")), &quantity)
            || !firstValue(QStringLiteral("select ") + SqlDialect::decimalSum(m_db.engine(), QStringLiteral("\"金额\"")), &amount)
            || !firstValue(QStringLiteral("select \"单位\""), &unit, QStringLiteral(" order by rowid limit 1"))) {
            read.error = m_db.readError();
            read.totals.clear();
            return read;
        }
        read.totals.append({name, unit.toString(), sumOf(quantity), sumOf(amount)});
    }
    return read;
}
