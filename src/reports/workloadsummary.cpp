#include "reports/workloadsummary.h"

WorkloadSummary WorkloadSummary::calculate(WorkloadRepository &repository, const QString &fromText, const QString &toText)
{
    WorkloadSummary summary;
    const std::optional<ReportDateRange> typed = ReportDateRange::fromTexts(fromText, toText);
    if (!typed)
        return summary;
    const ReportDateRange range = typed->ordered();
    const WorkloadRepository::Read read = repository.perDay(range.from(), range.to());
    if (!read.ok() || read.days.isEmpty())
        return summary;

    const Grain grain = range.days() < MaxDailyBars ? Grain::Day : range.days() < MaxMonthlyDays ? Grain::Month : Grain::Year;
    // The bar of a day, counted from the range's first bar.
    auto indexOf = [&](const QDate &day) -> qsizetype {
        switch (grain) {
        case Grain::Day:
            return range.from().daysTo(day);
        case Grain::Month:
            return (day.year() - range.from().year()) * 12 + day.month() - range.from().month();
        case Grain::Year:
            break;
        }
        return day.year() - range.from().year();
    };
    for (qsizetype i = 0; i <= indexOf(range.to()); ++i) {
        Bar bar;
        switch (grain) {
        case Grain::Day:
            bar.first = range.from().addDays(i);
            bar.last = bar.first;
            bar.label = QStringLiteral("%1/%2").arg(bar.first.month()).arg(bar.first.day());
            break;
        case Grain::Month:
            bar.first = QDate(range.from().year(), range.from().month(), 1).addMonths(int(i));
            bar.last = bar.first.addMonths(1).addDays(-1);
            bar.label = bar.first.toString(QStringLiteral("yyyy-MM"));
            break;
        case Grain::Year:
            bar.first = QDate(range.from().year() + int(i), 1, 1);
            bar.last = QDate(bar.first.year(), 12, 31);
            bar.label = QString::number(bar.first.year());
            break;
        }
        summary.m_bars.append(bar);
    }
    summary.m_bars.first().first = range.from();
    summary.m_bars.last().last = range.to();
    for (const WorkloadRepository::Day &day : read.days) {
        summary.m_prescriptions += day.prescriptions;
        summary.m_takings += day.takings;
        const qsizetype index = day.date.isValid() ? indexOf(day.date) : -1;
        if (index < 0 || index >= summary.m_bars.size())
            continue;
        summary.m_bars[index].prescriptions += day.prescriptions;
        summary.m_bars[index].takings += day.takings;
    }
    return summary;
}

QString WorkloadSummary::resultLine() const
{
    if (!hasFigures())
        return noFigures();
    return QStringLiteral("门诊处方数：%1张，业务额(￥)：%2").arg(m_prescriptions).arg(m_takings.toFixed(2));
}
