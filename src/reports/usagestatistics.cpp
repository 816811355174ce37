#include "reports/usagestatistics.h"

std::variant<ReportDateRange, QString> UsageStatistics::checkRange(const QString &fromText, const QString &toText)
{
    const std::optional<ReportDateRange> range = ReportDateRange::fromTexts(fromText, toText);
    if (!range)
        return ReportDateRange::invalidDatesMessage();
    if (range->days() > MaxDays)
        return QStringLiteral("统计日期范围不能超过1个月！");
    return range->ordered();
}

UsageStatistics::Line UsageStatistics::line(const UsageStatisticsRepository::Total &total)
{
    Line line{total.name, QString(), total.unit, QString()};
    if (total.unit == QLatin1String("g")) {
        line.unit = QStringLiteral("kg");
        if (total.quantity)
            line.quantity = total.quantity->dividedBy(1000).toFixed(2);
    } else if (total.quantity) {
        line.quantity = total.quantity->toShortest();
    }
    if (total.amount)
        line.amount = total.amount->toFixed(2);
    return line;
}

QString UsageStatistics::shownAmount(const QString &amount)
{
    return amount == QLatin1String("0.00") ? QString() : amount;
}

UsageStatistics::Report UsageStatistics::calculate(UsageStatisticsRepository &repository, const QString &category,
                                                   const ReportDateRange &range)
{
    const ReportDateRange ordered = range.ordered();
    const UsageStatisticsRepository::Read read = repository.totals(category, ordered.from(), ordered.to());
    Report report;
    report.error = read.error;
    for (const UsageStatisticsRepository::Total &total : read.totals)
        report.lines.append(line(total));
    return report;
}
