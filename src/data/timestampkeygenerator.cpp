#include "data/timestampkeygenerator.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/tabledefinition.h"

TimestampKeyGenerator::TimestampKeyGenerator(Database &db)
    : m_db(db)
{
}

QString TimestampKeyGenerator::next(const QString &table, const QString &column, const QString &prefix, const QDateTime &now)
{
    const QString slot = table + QLatin1Char('\t') + column + QLatin1Char('\t') + prefix;
    QDateTime stamp = now;
    stamp.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    const auto last = m_lastIssued.constFind(slot);
    if (last != m_lastIssued.constEnd() && stamp <= *last)
        stamp = last->addSecs(1);
    QString key = prefix + TimestampKeyGenerator::stamp(stamp);
    while (inUse(table, column, key)) {
        stamp = stamp.addSecs(1);
        key = prefix + TimestampKeyGenerator::stamp(stamp);
    }
    m_lastIssued.insert(slot, stamp);
    return key;
}

bool TimestampKeyGenerator::inUse(const QString &table, const QString &column, const QString &key)
{
    const std::optional<QVariantList> found
        = m_db.firstColumn(QStringLiteral("select count(*) from %1 where %2 = ?").arg(quotedName(table), quotedName(column)), {key});
    return found && !found->isEmpty() && found->first().toInt() > 0;
}
