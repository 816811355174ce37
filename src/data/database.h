#pragma once

#include <QSqlDatabase>
#include <QString>

// One database file ("数据库.dat" or "用药统计.dat"). The connection opens on first use and
// waits for another computer's lock instead of failing at once, since clinics share the files.
class Database
{
public:
    explicit Database(const QString &path);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString path() const { return m_path; }
    // The connection text shown to the user and kept as MainDb / StatsDb.
    static QString connectionText(const QString &path);

    // The open connection; invalid (not open) when the file cannot be opened.
    QSqlDatabase connection();
    QString lastError() const { return m_lastError; }

private:
    QString m_path;
    QString m_name;
    QString m_lastError;
};
