#pragma once

#include "data/writeresult.h"

#include <QHash>
#include <QString>

#include <optional>

class Database;

// The single row of table 设置: every reader takes the first row.
class SettingsRepository
{
public:
    explicit SettingsRepository(Database &db);

    // Every column of the first row by column name; nothing when the row cannot be read.
    std::optional<QHash<QString, QString>> load();
    // Writes the given columns into the first row (adding the row if the table is empty).
    WriteResult save(const QHash<QString, QString> &columns);

    // The stored login password, exactly as stored.
    std::optional<QString> password();
    WriteResult setPassword(const QString &password);

private:
    Database &m_db;
};
