#pragma once

#include <QDate>
#include <QWidget>

#include "reports/workloadsummary.h"

class QLabel;
class QLineEdit;
class WorkloadChart;
class WorkloadRepository;

// The workload window (Form12, "统计"): how many prescriptions a date range holds and what they
// took in, as one line and as a bar chart per day.
class WorkloadWindow : public QWidget
{
    Q_OBJECT

public:
    WorkloadWindow(WorkloadRepository &workload, const QDate &today, QWidget *parent = nullptr);

    void calculate();
    // Both boxes to today, then calculates.
    void showToday();

    const WorkloadSummary &summary() const { return m_summary; }

private:
    WorkloadRepository &m_workload;
    QDate m_today;
    QLineEdit *m_from;
    QLineEdit *m_to;
    QLabel *m_result;
    WorkloadChart *m_chart;
    WorkloadSummary m_summary;
};
