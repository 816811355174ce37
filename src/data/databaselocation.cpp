#include "data/databaselocation.h"

#include <QDir>

DatabaseLocation DatabaseLocation::file(const QString &path)
{
    DatabaseLocation location;
    location.m_path = path;
    return location;
}

DatabaseLocation DatabaseLocation::server(const ServerAddress &address, const QString &schema)
{
    DatabaseLocation location;
    location.m_engine = SqlEngine::Postgres;
    location.m_address = address;
    location.m_schema = schema;
    return location;
}

QString DatabaseLocation::schemaOf(DatabaseKind kind)
{
    return kind == DatabaseKind::Main ? QStringLiteral("quillon_main") : QStringLiteral("quillon_stats");
}

QString DatabaseLocation::connectionText() const
{
    if (!isServer())
        return QStringLiteral("Driver=QSQLITE;Data Source=%1;").arg(m_path);
    return QStringLiteral("Driver=QPSQL;Server=%1;Schema=%2;").arg(m_address.displayText(), m_schema);
}

QString DatabaseLocation::shownName() const
{
    if (!isServer())
        return QDir::toNativeSeparators(m_path);
    return QStringLiteral("%1（%2）").arg(m_address.displayText(), m_schema);
}
