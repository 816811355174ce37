#pragma once

#include <functional>
#include <optional>

#include <QHash>
#include <QString>

#include "data/writeresult.h"

class Database;

// The single row of table 设置: every reader takes the first row.
class SettingsRepository
{
public:
    explicit SettingsRepository(Database &db);

    // The password of a new database.
    static QString initialPassword() { return QStringLiteral("905"); }

    // Every column of the first row by column name; nothing when the row cannot be read.
    std::optional<QHash<QString, QString>> load();
    // Writes the given columns into the row (adding the row if the table is empty), in one
    // transaction. A value too long for its field is refused naming it by `caption` when given.
    WriteResult save(const QHash<QString, QString> &columns,
                     const std::function<QString(const QString &column)> &caption = {});

    // The stored login password exactly as stored; nothing when the row cannot be read or holds
    // no password at all (an empty text stored on purpose is a password).
    std::optional<QString> password();
    WriteResult setPassword(const QString &password);

private:
    Database &m_db;
};
