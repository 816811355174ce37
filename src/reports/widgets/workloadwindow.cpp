#include "reports/widgets/workloadwindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "print/units.h"
#include "reports/reportdaterange.h"
#include "reports/widgets/reportdateboxes.h"
#include "reports/widgets/workloadchart.h"

WorkloadWindow::WorkloadWindow(WorkloadRepository &workload, const QDate &today, QWidget *parent)
    : QWidget(parent)
    , m_workload(workload)
    , m_today(today)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("统计"));
    // The chart takes the space below the form's own controls.
    setFixedSize(twipsSize(4560, 4995));

    auto *frame = new QGroupBox(QStringLiteral("工作量统计"), this);
    frame->setGeometry(twipsRect(60, 60, 4440, 2340));

    auto *dateLabel = new QLabel(QStringLiteral("日期"), this);
    dateLabel->move(twips(120), twips(540));
    m_from = new QLineEdit(this);
    m_from->setObjectName(QStringLiteral("fromDateEdit"));
    m_from->setGeometry(twipsRect(600, 480, 1515, 315));
    auto *toLabel = new QLabel(QStringLiteral("至"), this);
    toLabel->move(twips(2280), twips(540));
    m_to = new QLineEdit(this);
    m_to->setObjectName(QStringLiteral("toDateEdit"));
    m_to->setGeometry(twipsRect(2640, 480, 1515, 315));

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("resultLabel"));
    m_result->setGeometry(twipsRect(180, 1020, 3975, 375));
    m_result->setFrameShape(QFrame::Panel);
    m_result->setFrameShadow(QFrame::Sunken);
    m_result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_result->setStyleSheet(QStringLiteral("color: blue;"));

    auto *todayButton = new QPushButton(QStringLiteral("今 日"), this);
    todayButton->setObjectName(QStringLiteral("今日"));
    todayButton->setGeometry(twipsRect(2040, 1920, 1155, 375));
    auto *calculate = new QPushButton(QStringLiteral("统 计"), this);
    calculate->setObjectName(QStringLiteral("统计"));
    calculate->setGeometry(twipsRect(3300, 1920, 1155, 375));

    m_chart = new WorkloadChart(this);
    m_chart->setObjectName(QStringLiteral("workloadChart"));
    m_chart->setGeometry(twipsRect(180, 2520, 4200, 2355));

    connect(todayButton, &QPushButton::clicked, this, &WorkloadWindow::showToday);
    connect(calculate, &QPushButton::clicked, this, &WorkloadWindow::calculate);
    connect(m_from, &QLineEdit::returnPressed, m_to, qOverload<>(&QWidget::setFocus));
    connect(m_to, &QLineEdit::returnPressed, this, &WorkloadWindow::calculate);

    ReportDateBoxes::show(m_from, m_to, ReportDateRange::monthUpTo(today));
}

void WorkloadWindow::calculate()
{
    m_summary = WorkloadSummary::calculate(m_workload, m_from->text(), m_to->text());
    m_result->setText(m_summary.resultLine());
    m_chart->setBars(m_summary.bars());
}

void WorkloadWindow::showToday()
{
    ReportDateBoxes::show(m_from, m_to, ReportDateRange(m_today, m_today));
    calculate();
}
