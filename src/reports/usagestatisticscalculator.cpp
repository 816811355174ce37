#include "reports/usagestatisticscalculator.h"

#include <memory>

#include <QPromise>
#include <QThreadPool>

#include "data/database.h"
#include "data/usagestatisticsrepository.h"

UsageStatisticsCalculator::UsageStatisticsCalculator(QString statsPath, int busyTimeoutMs)
    : UsageStatisticsCalculator(DatabaseLocation::file(statsPath), busyTimeoutMs)
{
}

UsageStatisticsCalculator::UsageStatisticsCalculator(DatabaseLocation stats, int busyTimeoutMs)
    : m_location(std::move(stats))
    , m_busyTimeoutMs(busyTimeoutMs)
{
}

QFuture<UsageStatistics::Report> UsageStatisticsCalculator::start(const QString &category, const ReportDateRange &range) const
{
    auto promise = std::make_shared<QPromise<UsageStatistics::Report>>();
    QFuture<UsageStatistics::Report> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, location = m_location, timeout = m_busyTimeoutMs, category, range] {
        // A connection belongs to the thread that opened it.
        Database db(location, timeout);
        UsageStatisticsRepository repository(db);
        promise->addResult(UsageStatistics::calculate(repository, category, range));
        promise->finish();
    });
    return future;
}
