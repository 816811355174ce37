#pragma once

#include <optional>

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A PostgreSQL server named by a connection address such as
// "postgresql://clinic@192.168.1.10:5432/quillon". A password in the address is dropped: libpq
// reads it from the user's password file (~/.pgpass or PGPASSFILE), never from our files.
class ServerAddress
{
public:
    static constexpr int DefaultPort = 5432;

    // Whether a text is meant as a server address rather than a computer name (which can never
    // begin with a scheme).
    static bool looksLikeAddress(const QString &text);
    // The address, or nothing when the text is no usable address.
    static std::optional<ServerAddress> parse(const QString &text);
    // The text of an address (usable or not) with any password in it left out, for messages.
    static QString withoutPassword(const QString &text);

    QString host() const { return m_host; }
    int port() const { return m_port; }
    QString user() const { return m_user; }
    QString database() const { return m_database; }
    // Further libpq settings from the query part (sslmode=require …), in the order given.
    const QList<QPair<QString, QString>> &options() const { return m_options; }

    // The address without any password, as shown to the user.
    QString displayText() const;
    // The same address as a libpq connection string, for the server's own tools (pg_dump).
    QString conninfo() const;
    // The further settings as libpq's key='value' pairs, quoted as a connection string needs.
    QStringList optionSettings() const;

private:
    QString m_host;
    int m_port = DefaultPort;
    QString m_user;
    QString m_database;
    QList<QPair<QString, QString>> m_options;
};
