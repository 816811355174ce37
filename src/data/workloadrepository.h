#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "text/amount.h"

class Database;

// The prescriptions of the archive 档案 and their totals, per day, for the workload figures.
class WorkloadRepository
{
public:
    struct Day
    {
        QDate date;
        int prescriptions = 0;
        // The sum of the numbers the totals (column 16) begin with; a total that is empty or not
        // a number counts as 0.
        Amount takings;
    };

    struct Read
    {
        // Only days with prescriptions, in date order.
        QList<Day> days;
        QString error;

        bool ok() const { return error.isEmpty(); }
    };

    explicit WorkloadRepository(Database &main);

    // The days from `first` to `last`, both included (`first` not after `last`).
    Read perDay(const QDate &first, const QDate &last);

private:
    Database &m_db;
};
