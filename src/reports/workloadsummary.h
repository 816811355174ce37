#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "data/workloadrepository.h"
#include "reports/reportdaterange.h"
#include "text/amount.h"

// The workload of a date range: how many prescriptions were written and what they took in, in
// total for the result line and per day (or per month over long ranges) for the bar chart.
class WorkloadSummary
{
public:
    // Ranges shorter than this many days are charted per day, then per month, then per year.
    static constexpr int MaxDailyBars = 62;
    static constexpr int MaxMonthlyDays = 3 * 366;

    struct Bar
    {
        // "3/14" for a day, "2024-03" for a month, "2024" for a year.
        QString label;
        QDate first;
        QDate last;
        int prescriptions = 0;
        Amount takings;
    };

    WorkloadSummary() = default;

    // Reads the range typed into the two boxes, in either order; a box that does not hold a
    // date, or an archive that cannot be read, gives no figures.
    static WorkloadSummary calculate(WorkloadRepository &repository, const QString &fromText, const QString &toText);

    static QString noFigures() { return QStringLiteral("无统计数字"); }

    bool hasFigures() const { return m_prescriptions > 0; }
    int prescriptions() const { return m_prescriptions; }
    Amount takings() const { return m_takings; }
    // "门诊处方数：3张，业务额(￥)：15.50", or "无统计数字".
    QString resultLine() const;
    // Every day (or month, or year) of the range in order, those without prescriptions included;
    // none without figures.
    const QList<Bar> &bars() const { return m_bars; }

private:
    enum class Grain { Day, Month, Year };

    int m_prescriptions = 0;
    Amount m_takings;
    QList<Bar> m_bars;
};
