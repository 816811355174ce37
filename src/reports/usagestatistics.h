#pragma once

#include <optional>
#include <variant>

#include <QList>
#include <QString>

#include "data/usagestatisticsrepository.h"
#include "reports/reportdaterange.h"

// The drug-usage statistics: per drug name, how much was dispensed and for how much, over at most
// about a month, as the grid shows them and the export writes them.
class UsageStatistics
{
public:
    static constexpr int MaxDays = 32;

    // One result: grams summed up are shown as kilograms with two decimals, other units as the
    // plain sum; the amount with two decimals.
    struct Line
    {
        QString name;
        QString quantity;
        QString unit;
        QString amount;

        bool operator==(const Line &other) const = default;
    };

    struct Report
    {
        QList<Line> lines;
        // Why the statistics file could not be read; empty when it was.
        QString error;
    };

    // The range to count from the typed boxes, earlier date first; or the message that refuses
    // it (a box without a date, more than MaxDays days between them in either order).
    static std::variant<ReportDateRange, QString> checkRange(const QString &fromText, const QString &toText);

    static Line line(const UsageStatisticsRepository::Total &total);
    // The grid leaves a zero amount blank; the export writes "0.00".
    static QString shownAmount(const QString &amount);
    // The totals of the lines whose category begins with `category`, in one read.
    static Report calculate(UsageStatisticsRepository &repository, const QString &category, const ReportDateRange &range);
};
