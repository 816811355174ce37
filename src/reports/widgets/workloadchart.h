#pragma once

#include <QList>
#include <QWidget>

#include "reports/workloadsummary.h"

// The workload of a range as two rows of bars, prescriptions above and takings below, one bar a
// day (or month, or year); a bar's figures show as its tooltip.
class WorkloadChart : public QWidget
{
    Q_OBJECT

public:
    explicit WorkloadChart(QWidget *parent = nullptr);

    void setBars(const QList<WorkloadSummary::Bar> &bars);
    const QList<WorkloadSummary::Bar> &bars() const { return m_bars; }
    // The bar under a point of the widget, or -1.
    int barAt(const QPoint &point) const;
    // "3/14：处方2张，业务额(￥)：30.00"
    static QString describe(const WorkloadSummary::Bar &bar);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRectF plotArea() const;

    QList<WorkloadSummary::Bar> m_bars;
};
