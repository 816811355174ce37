#include "prescription/infusioncardlines.h"

#include <algorithm>

#include "prescription/bodytext.h"
#include "text/linebreaks.h"

const QStringList &InfusionCardLines::routeKeywords()
{
    static const QStringList keywords = {
        QStringLiteral("iv/gtt"), QStringLiteral("iv"),       QStringLiteral("ivgtt"),    QStringLiteral("im"),
        QStringLiteral("H"),      QStringLiteral("静注"),     QStringLiteral("静脉滴注"), QStringLiteral("静滴"),
        QStringLiteral("静推"),   QStringLiteral("静脉推注"), QStringLiteral("加滴管"),   QStringLiteral("皮试"),
        QStringLiteral("微泵"),   QStringLiteral("iv-vp"),    QStringLiteral("皮下"),     QStringLiteral("皮内"),
        QStringLiteral("肌注"),   QStringLiteral("肌肉注射"), QStringLiteral("入小壶"),   QStringLiteral("雾化"),
    };
    return keywords;
}

QString InfusionCardLines::fromBody(const QString &body)
{
    QString card;
    QStringList group;
    for (const QString &line : LineBreaks::shown(body).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            group.append(line);
        if (!BodyText::isUsageLine(line))
            continue;
        const auto named = [&line](const QString &keyword) { return line.contains(keyword, Qt::CaseInsensitive); };
        if (std::any_of(routeKeywords().cbegin(), routeKeywords().cend(), named)) {
            for (const QString &member : std::as_const(group))
                card += member + QStringLiteral("\r\n");
        }
        group.clear();
    }
    return card;
}
