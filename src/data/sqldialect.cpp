#include "data/sqldialect.h"

namespace SqlDialect {

QString decimalSum(SqlEngine engine, const QString &column)
{
    if (engine == SqlEngine::Postgres)
        return QStringLiteral("trim_scale(sum(quillon_leading_number(%1)))::text").arg(column);
    return QStringLiteral("decimal_sum(%1)").arg(column);
}

QString caseBlindOrder(SqlEngine engine, const QString &column)
{
    if (engine == SqlEngine::Postgres)
        return QStringLiteral("lower(%1::text)").arg(column);
    return column;
}

QString firstInGroup(SqlEngine engine, const QString &column)
{
    if (engine == SqlEngine::Postgres)
        return QStringLiteral("(array_agg(%1 order by rowid))[1]").arg(column);
    return column;
}

} // namespace SqlDialect
