#include "data/timestampkeygenerator.h"

#include "data/database.h"

#include <QSqlQuery>

TimestampKeyGenerator::TimestampKeyGenerator(Database &db)
    : m_db(db)
{
}

QString TimestampKeyGenerator::next(const QString &table, const QString &column, const QString &prefix, const QDateTime &now)
{
    Q_ASSERT(!table.contains(QLatin1Char('"')) && !column.contains(QLatin1Char('"')));
    const QString slot = table + QLatin1Char('\t') + column + QLatin1Char('\t') + prefix;
    QDateTime stamp = now;
    stamp.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    const auto last = m_lastIssued.constFind(slot);
    if (last != m_lastIssued.constEnd() && stamp <= *last)
        stamp = last->addSecs(1);
    QString key = prefix + stamp.toString(QStringLiteral("yyyyMMddHHmmss"));
    while (inUse(table, column, key)) {
        stamp = stamp.addSecs(1);
        key = prefix + stamp.toString(QStringLiteral("yyyyMMddHHmmss"));
    }
    m_lastIssued.insert(slot, stamp);
    return key;
}

bool TimestampKeyGenerator::inUse(const QString &table, const QString &column, const QString &key)
{
    QSqlQuery query(m_db.connection());
    query.prepare(QStringLiteral("select count(*) from \"%1\" where \"%2\" = ?").arg(table, column));
    query.addBindValue(key);
    return query.exec() && query.next() && query.value(0).toInt() > 0;
}
