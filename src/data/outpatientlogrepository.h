#pragma once

#include <optional>

#include <QDate>
#include <QList>
#include <QString>

class Database;

// The visits of the outpatient log book, read from the prescription archive 档案.
class OutpatientLogRepository
{
public:
    struct Visit
    {
        QString name;      // 0
        QString sex;       // 1
        QString age;       // 2
        QString diagnosis; // 6
        QString address;   // 4
        QString date;      // 5, "yyyy-mm-dd"
    };

    struct Read
    {
        QList<Visit> visits;
        // More visits than the limit asked for: none are returned.
        bool tooMany = false;
        // Why the archive could not be read; empty when it was.
        QString error;

        bool ok() const { return error.isEmpty(); }
    };

    explicit OutpatientLogRepository(Database &main);

    // The visits dated from `from` to `to`, both included, in the order they were saved (by 序号).
    // A range whose end lies before its start holds no visits. With a limit, reading stops at the
    // first visit beyond it.
    Read visits(const QDate &from, const QDate &to, std::optional<int> limit = std::nullopt);

private:
    Database &m_db;
};
