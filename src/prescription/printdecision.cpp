#include "prescription/printdecision.h"

#include <QStringList>

namespace {

QString listed(const SafetyWarning &warning)
{
    return QStringLiteral("【%1】%2").arg(SafetyWarning::kindName(warning.kind), warning.text);
}

} // namespace

PrintDecision PrintDecision::of(const QList<SafetyWarning> &warnings)
{
    PrintDecision decision;
    for (const SafetyWarning &warning : warnings) {
        if (warning.severity == SafetyWarning::Severity::Red)
            decision.m_red.append(warning);
    }
    return decision;
}

QString PrintDecision::question() const
{
    QStringList lines{QStringLiteral("处方存在以下警示：")};
    for (const SafetyWarning &warning : m_red)
        lines.append(listed(warning));
    lines.append(QString());
    lines.append(QStringLiteral("仍要打印吗？仍打印的，处方上须医师再次签名。"));
    return lines.join(QLatin1Char('\n'));
}

QString PrintDecision::overrideEntry(const QDateTime &when) const
{
    QStringList warnings;
    for (const SafetyWarning &warning : m_red)
        warnings.append(listed(warning));
    return QStringLiteral("%1 仍打印：%2").arg(when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                              warnings.join(QStringLiteral("；")));
}

QString PrintDecision::secondSignatureLine()
{
    return QStringLiteral("超量/配伍禁忌，医师再次签名：______");
}
