#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

class Database;

// Hands out "yyyymmddhhmmss" keys (optionally behind a prefix) that are not yet used in the
// table and not handed out before by this generator: when the second is taken, the next free
// second is used, so two saves within one second never share a key.
class TimestampKeyGenerator
{
public:
    explicit TimestampKeyGenerator(Database &db);

    // The form of every time-stamp key and record number: local time as "yyyymmddhhmmss".
    static QString format() { return QStringLiteral("yyyyMMddHHmmss"); }
    static QString stamp(const QDateTime &time) { return time.toString(format()); }

    QString next(const QString &table, const QString &column, const QString &prefix = QString(),
                 const QDateTime &now = QDateTime::currentDateTime());

private:
    bool inUse(const QString &table, const QString &column, const QString &key);

    Database &m_db;
    QHash<QString, QDateTime> m_lastIssued;
};
