#include "data/serveraddress.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

// libpq's quoting of a value in a connection string.
QString conninfoValue(const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

bool ServerAddress::looksLikeAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    return trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::optional<ServerAddress> ServerAddress::parse(const QString &text)
{
    if (!looksLikeAddress(text))
        return std::nullopt;
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    ServerAddress address;
    address.m_host = url.host();
    address.m_port = url.port(DefaultPort);
    address.m_user = url.userName();
    address.m_database = url.path().mid(1);
    if (address.m_database.contains(QLatin1Char('/')))
        return std::nullopt;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        // A socket folder or host given as an option, as libpq allows.
        if (key == QLatin1String("host"))
            address.m_host = value;
        else if (key == QLatin1String("port"))
            address.m_port = value.toInt();
        else if (key == QLatin1String("user"))
            address.m_user = value;
        else if (key == QLatin1String("dbname"))
            address.m_database = value;
        else if (key != QLatin1String("password"))
            address.m_options.append({key, value});
    }
    if (address.m_port <= 0 || address.m_port > 65535)
        return std::nullopt;
    // As libpq does: without a database name, the user's own.
    if (address.m_database.isEmpty())
        address.m_database = address.m_user;
    return address;
}

QString ServerAddress::withoutPassword(const QString &text)
{
    QString shown = text.trimmed();
    // user:password@ before the host, and password=… among the settings.
    static const QRegularExpression inUser(QStringLiteral("^([A-Za-z]+://[^:/@?]*):[^@/?]*@"));
    static const QRegularExpression inOptions(QStringLiteral("([?&])password=[^&]*&?"));
    shown.replace(inUser, QStringLiteral("\\1@"));
    shown.replace(inOptions, QStringLiteral("\\1"));
    if (shown.endsWith(QLatin1Char('?')) || shown.endsWith(QLatin1Char('&')))
        shown.chop(1);
    return shown;
}

QString ServerAddress::displayText() const
{
    QString text = QStringLiteral("postgresql://");
    if (!m_user.isEmpty())
        text += QString::fromUtf8(QUrl::toPercentEncoding(m_user)) + QLatin1Char('@');
    const bool socketFolder = m_host.startsWith(QLatin1Char('/'));
    if (!socketFolder)
        text += m_host.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_host + QLatin1Char(']') : m_host;
    text += QLatin1Char(':') + QString::number(m_port) + QLatin1Char('/') + QString::fromUtf8(QUrl::toPercentEncoding(m_database));
    QUrlQuery query;
    if (socketFolder)
        query.addQueryItem(QStringLiteral("host"), m_host);
    for (const auto &[key, value] : m_options)
        query.addQueryItem(key, value);
    if (!query.isEmpty())
        text += QLatin1Char('?') + query.toString(QUrl::FullyDecoded);
    return text;
}

QString ServerAddress::conninfo() const
{
    QStringList parts;
    if (!m_host.isEmpty())
        parts.append(QStringLiteral("host=") + conninfoValue(m_host));
    parts.append(QStringLiteral("port=") + QString::number(m_port));
    if (!m_user.isEmpty())
        parts.append(QStringLiteral("user=") + conninfoValue(m_user));
    if (!m_database.isEmpty())
        parts.append(QStringLiteral("dbname=") + conninfoValue(m_database));
    parts += optionSettings();
    return parts.join(QLatin1Char(' '));
}

QStringList ServerAddress::optionSettings() const
{
    QStringList settings;
    for (const auto &[key, value] : m_options)
        settings.append(key + QLatin1Char('=') + conninfoValue(value));
    return settings;
}
