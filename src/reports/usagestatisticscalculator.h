#pragma once

#include <QFuture>
#include <QString>

#include "data/databaselocation.h"
#include "reports/usagestatistics.h"

// Computes the drug-usage statistics away from the window's thread, on a connection of its own to
// the statistics file, so the window keeps painting (and its progress bar moving) however long a
// shared or busy file takes to answer.
class UsageStatisticsCalculator
{
public:
    UsageStatisticsCalculator(QString statsPath, int busyTimeoutMs);
    UsageStatisticsCalculator(DatabaseLocation stats, int busyTimeoutMs);

    QFuture<UsageStatistics::Report> start(const QString &category, const ReportDateRange &range) const;

private:
    DatabaseLocation m_location;
    int m_busyTimeoutMs;
};
