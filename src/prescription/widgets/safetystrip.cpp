#include "prescription/widgets/safetystrip.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int Margin = 4;
constexpr int Spacing = 6;

QString entryStyle(bool red)
{
    return red ? QStringLiteral("color: white; background: #C62828; padding: 1px 6px; border-radius: 3px;")
               : QStringLiteral("color: black; background: #FFC107; padding: 1px 6px; border-radius: 3px;");
}

QString toolTipOf(const SafetyWarning &warning)
{
    return warning.rule + (warning.source.isEmpty() ? QString() : QStringLiteral("\n来源：") + warning.source);
}

} // namespace

SafetyStrip::SafetyStrip(QWidget *parent)
    : QWidget(parent)
    , m_quiet(new QLabel(QStringLiteral("安全提示：无"), this))
    , m_more(new QToolButton(this))
    , m_list(new QFrame(this, Qt::Popup))
{
    setObjectName(QStringLiteral("safetyWarnings"));
    m_quiet->setObjectName(QStringLiteral("safetyWarningsNone"));
    m_quiet->setStyleSheet(QStringLiteral("color: #707070;"));
    m_more->setObjectName(QStringLiteral("safetyWarningsMore"));
    m_more->setCheckable(true);
    m_more->hide();
    connect(m_more, &QToolButton::clicked, this, [this](bool checked) {
        if (checked)
            showFullList();
        else
            m_list->hide();
    });
    m_list->setObjectName(QStringLiteral("safetyWarningsAll"));
    m_list->setFrameShape(QFrame::Box);
    m_list->setLayout(new QVBoxLayout);
    m_list->layout()->setContentsMargins(Margin, Margin, Margin, Margin);
    m_list->layout()->setSpacing(3);
    m_list->installEventFilter(this);
}

void SafetyStrip::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    followFont(m_quiet);
    followFont(m_more);
    for (QLabel *entry : std::as_const(m_entries))
        followFont(entry);
    arrange();
}

void SafetyStrip::followFont(QWidget *label) const
{
    label->setFont(font());
}

bool SafetyStrip::eventFilter(QObject *watched, QEvent *event)
{
    // The list closes itself on a click elsewhere; the button goes up with it.
    if (watched == m_list && event->type() == QEvent::Hide)
        m_more->setChecked(false);
    return QWidget::eventFilter(watched, event);
}

QString SafetyStrip::entryText(const SafetyWarning &warning)
{
    const QString kind = SafetyWarning::kindName(warning.kind);
    // A warning whose whole text is its kind ("未写诊断") is not said twice.
    if (warning.text == kind)
        return QStringLiteral("【%1】").arg(kind);
    return QStringLiteral("【%1】%2").arg(kind, warning.text);
}

void SafetyStrip::show(const QList<SafetyWarning> &warnings)
{
    if (warnings == m_warnings)
        return;
    m_warnings = warnings;
    qDeleteAll(m_entries);
    m_entries.clear();
    m_list->hide();
    m_more->setChecked(false);
    for (const SafetyWarning &warning : warnings) {
        const bool red = warning.severity == SafetyWarning::Severity::Red;
        auto *entry = new QLabel(entryText(warning), this);
        followFont(entry);
        entry->setObjectName(QStringLiteral("safetyWarning_%1").arg(m_entries.size()));
        entry->setProperty("severity", red ? QStringLiteral("red") : QStringLiteral("amber"));
        entry->setStyleSheet(entryStyle(red));
        entry->setToolTip(toolTipOf(warning));
        m_entries.append(entry);
    }
    // "未能检查" in place of "无": a body that could not be read is no safe body.
    m_quiet->setVisible(warnings.isEmpty());
    arrange();
}

void SafetyStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void SafetyStrip::arrange()
{
    const int lineHeight = height() - 2 * Margin;
    m_quiet->setGeometry(Margin, Margin, m_quiet->sizeHint().width(), lineHeight);
    m_more->hide();
    if (m_entries.isEmpty())
        return;

    // Whole entries from the left; what does not fit is counted on the button at the end.
    const int right = width() - Margin;
    int x = Margin;
    qsizetype shown = 0;
    for (; shown < m_entries.size(); ++shown) {
        const int entryWidth = m_entries.at(shown)->sizeHint().width();
        const qsizetype rest = m_entries.size() - shown - 1;
        m_more->setText(QStringLiteral("另有%1条").arg(rest));
        const int reserve = rest > 0 ? Spacing + m_more->sizeHint().width() : 0;
        if (x + entryWidth + reserve > right)
            break;
        x += entryWidth + Spacing;
    }
    // A first entry wider than the strip is shortened; its whole text is in the list.
    const bool shortenFirst = shown == 0;
    if (shortenFirst)
        shown = 1;
    const qsizetype hidden = m_entries.size() - shown;
    m_more->setText(QStringLiteral("另有%1条").arg(hidden));
    const int moreWidth = hidden > 0 ? m_more->sizeHint().width() : 0;

    x = Margin;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        QLabel *entry = m_entries.at(i);
        entry->setText(entryText(m_warnings.at(i)));
        if (i >= shown) {
            entry->hide();
            continue;
        }
        int entryWidth = entry->sizeHint().width();
        if (shortenFirst) {
            const int available = right - x - (hidden > 0 ? Spacing + moreWidth : 0);
            const int padding = entryWidth - entry->fontMetrics().horizontalAdvance(entry->text());
            entry->setText(entry->fontMetrics().elidedText(entry->text(), Qt::ElideRight, qMax(0, available - padding)));
            entryWidth = qMax(0, available);
        }
        entry->setGeometry(x, Margin, entryWidth, lineHeight);
        entry->show();
        x += entryWidth + Spacing;
    }
    if (hidden > 0 || shortenFirst) {
        if (hidden == 0)
            m_more->setText(QStringLiteral("全文"));
        m_more->setGeometry(right - m_more->sizeHint().width(), Margin, m_more->sizeHint().width(), lineHeight);
        m_more->show();
    }
}

void SafetyStrip::showFullList()
{
    QLayout *layout = m_list->layout();
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (qsizetype i = 0; i < m_warnings.size(); ++i) {
        const SafetyWarning &warning = m_warnings.at(i);
        auto *line = new QLabel(entryText(warning), m_list);
        followFont(line);
        line->setObjectName(QStringLiteral("safetyWarningFull_%1").arg(i));
        line->setWordWrap(true);
        line->setStyleSheet(entryStyle(warning.severity == SafetyWarning::Severity::Red));
        line->setToolTip(toolTipOf(warning));
        layout->addWidget(line);
    }
    m_list->setFixedWidth(width());
    m_list->adjustSize();
    // The strip is at the foot of the window: the list opens upwards.
    m_list->move(mapToGlobal(QPoint(0, -m_list->height())));
    m_list->show();
}
