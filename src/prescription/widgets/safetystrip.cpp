#include "prescription/widgets/safetystrip.h"

#include <QHBoxLayout>
#include <QLabel>

SafetyStrip::SafetyStrip(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
    , m_quiet(new QLabel(QStringLiteral("安全提示：无"), this))
{
    setObjectName(QStringLiteral("safetyWarnings"));
    m_layout->setContentsMargins(4, 2, 4, 2);
    m_layout->setSpacing(6);
    m_quiet->setStyleSheet(QStringLiteral("color: #707070;"));
    m_layout->addWidget(m_quiet);
    m_layout->addStretch();
}

void SafetyStrip::show(const QList<SafetyWarning> &warnings)
{
    if (warnings == m_warnings)
        return;
    m_warnings = warnings;
    qDeleteAll(m_entries);
    m_entries.clear();
    m_quiet->setVisible(warnings.isEmpty());
    int at = 1;
    for (const SafetyWarning &warning : warnings) {
        const bool red = warning.severity == SafetyWarning::Severity::Red;
        auto *entry = new QLabel(QStringLiteral("【%1】%2").arg(SafetyWarning::kindName(warning.kind), warning.text), this);
        entry->setObjectName(QStringLiteral("safetyWarning_%1").arg(m_entries.size()));
        entry->setProperty("severity", red ? QStringLiteral("red") : QStringLiteral("amber"));
        entry->setStyleSheet(red ? QStringLiteral("color: white; background: #C62828; padding: 1px 6px; border-radius: 3px;")
                                 : QStringLiteral("color: black; background: #FFC107; padding: 1px 6px; border-radius: 3px;"));
        entry->setToolTip(warning.rule + (warning.source.isEmpty() ? QString() : QStringLiteral("\n来源：") + warning.source));
        m_layout->insertWidget(at++, entry);
        m_entries.append(entry);
    }
}
