#include "reports/widgets/workloadchart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int LabelHeight = 16;
const QColor Prescriptions(0, 0, 192);
const QColor Takings(0, 128, 96);

} // namespace

WorkloadChart::WorkloadChart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WorkloadChart::setBars(const QList<WorkloadSummary::Bar> &bars)
{
    m_bars = bars;
    update();
}

QString WorkloadChart::describe(const WorkloadSummary::Bar &bar)
{
    return QStringLiteral("%1：处方%2张，业务额(￥)：%3").arg(bar.label).arg(bar.prescriptions).arg(bar.takings.toFixed(2));
}

QRectF WorkloadChart::plotArea() const
{
    return QRectF(4, LabelHeight, width() - 8, height() - 2 * LabelHeight);
}

int WorkloadChart::barAt(const QPoint &point) const
{
    const QRectF area = plotArea();
    if (m_bars.isEmpty() || !area.contains(point))
        return -1;
    const int index = int((point.x() - area.left()) * m_bars.size() / area.width());
    return index >= 0 && index < m_bars.size() ? index : -1;
}

void WorkloadChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0xE0, 0xE0, 0xE0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_bars.isEmpty())
        return;

    int mostPrescriptions = 1;
    Amount mostTakings = Amount::fromInteger(1);
    for (const WorkloadSummary::Bar &bar : m_bars) {
        mostPrescriptions = qMax(mostPrescriptions, bar.prescriptions);
        mostTakings = qMax(mostTakings, bar.takings);
    }
    const QRectF area = plotArea();
    const double half = (area.height() - 4) / 2;
    const double step = area.width() / m_bars.size();
    const double gap = step > 4 ? 1 : 0;
    for (qsizetype i = 0; i < m_bars.size(); ++i) {
        const WorkloadSummary::Bar &bar = m_bars.at(i);
        const double left = area.left() + i * step;
        // Drawn heights only: the figures themselves stay exact.
        const double upper = half * bar.prescriptions / mostPrescriptions;
        const double lower = half * (double(bar.takings.millionths()) / double(mostTakings.millionths()));
        painter.fillRect(QRectF(left, area.top() + half - upper, step - gap, upper), Prescriptions);
        if (bar.takings > Amount())
            painter.fillRect(QRectF(left, area.bottom() - lower, step - gap, lower), Takings);
    }
    painter.setPen(Qt::black);
    QFont small = font();
    small.setPointSizeF(8);
    painter.setFont(small);
    painter.drawText(QRectF(4, 0, width() - 8, LabelHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("处方数（最多%1张）").arg(mostPrescriptions));
    painter.drawText(QRectF(4, 0, width() - 8, LabelHeight), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("业务额（最多￥%1）").arg(mostTakings.toFixed(2)));
    const QRectF axis(4, height() - LabelHeight, width() - 8, LabelHeight);
    painter.drawText(axis, Qt::AlignLeft | Qt::AlignVCenter, m_bars.first().label);
    painter.drawText(axis, Qt::AlignRight | Qt::AlignVCenter, m_bars.last().label);
}

bool WorkloadChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int index = barAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), describe(m_bars.at(index)), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
