#pragma once

#include <optional>

#include <QDate>
#include <QList>
#include <QString>

#include "text/amount.h"

class Database;

// What the settled lines of 统计 add up to per drug name, for the drug-usage statistics.
class UsageStatisticsRepository
{
public:
    struct Total
    {
        QString name;
        // 单位 of the name's first settled line (the earliest stored).
        QString unit;
        // Sums of the numbers the 数量 and 金额 texts begin with (a text that is not a number
        // counts as 0); empty when none of the name's lines holds a value at all.
        std::optional<Amount> quantity;
        std::optional<Amount> amount;

        bool operator==(const Total &other) const = default;
    };

    struct Read
    {
        // One per distinct name, ordered by name.
        QList<Total> totals;
        QString error;

        bool ok() const { return error.isEmpty(); }
    };

    explicit UsageStatisticsRepository(Database &stats);

    // The lines dated from `first` to `last` (both included) whose category begins with
    // `categoryPrefix` (every category when empty), in one grouped query.
    Read totals(const QString &categoryPrefix, const QDate &first, const QDate &last);
    // The same through the distinct names and three reads per name, as the statistics were first
    // computed; far slower, kept as the reference the grouped query is measured and checked against.
    Read totalsPerName(const QString &categoryPrefix, const QDate &first, const QDate &last);

private:
    Database &m_db;
};
