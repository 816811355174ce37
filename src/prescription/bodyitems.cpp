#include "prescription/bodyitems.h"

#include "data/cataloguename.h"
#include "prescription/bodytext.h"
#include "text/linebreaks.h"

QString BodyItems::cleanLine(const QString &line)
{
    QString cleaned = line;
    // Two-digit markers first: "12." must not lose only its "2." and leave "1" before the name.
    for (int n = 20; n >= 1; --n) {
        const QString number = QString::number(n);
        const QString markers[] = {QLatin1Char('(') + number + QLatin1Char(')'), QStringLiteral("（") + number + QStringLiteral("）"),
                                   number + QStringLiteral("、"), number + QLatin1Char('.'), number + QLatin1Char(' ')};
        for (const QString &marker : markers) {
            const qsizetype at = cleaned.indexOf(marker);
            if (at >= 0 && at < 4)
                cleaned.remove(at, marker.size());
        }
    }
    cleaned = cleaned.trimmed();
    if (cleaned.contains(QStringLiteral("用法")))
        return QString();
    return cleaned;
}

QList<BodyItem> BodyItems::read(PrescriptionKind kind, const QString &body)
{
    QList<BodyItem> items;
    if (kind == PrescriptionKind::Chinese) {
        const BodyText::HerbLayout layout = BodyText::reflowHerbs(body);
        for (const QString &item : layout.items) {
            QString text = item;
            QString unit;
            for (const QChar herbUnit : BodyText::herbUnits()) {
                if (text.contains(herbUnit))
                    unit = QString(herbUnit);
                text.remove(herbUnit);
            }
            text = CatalogueName::stored(text).trimmed();
            items.append({BodyText::herbName(text), BodyText::firstNumber(text), CatalogueLookup::Scope::Herb, item, unit});
        }
        for (const QString &line : LineBreaks::shown(layout.tail).split(QLatin1Char('\n'))) {
            const QString cleaned = cleanLine(line);
            if (cleaned.isEmpty())
                continue;
            const qsizetype space = cleaned.indexOf(QLatin1Char(' '));
            const QString name = space < 0 ? QString() : cleaned.left(space).trimmed();
            const QString rest = space < 0 ? QString() : cleaned.mid(space + 1).trimmed();
            items.append({name, BodyText::firstNumber(rest), CatalogueLookup::Scope::ChargeItem, cleaned});
        }
        return items;
    }
    for (const QString &line : LineBreaks::shown(body).split(QLatin1Char('\n'))) {
        const QString cleaned = cleanLine(line);
        if (cleaned.isEmpty())
            continue;
        // A line without a space names nothing the catalogue holds.
        const qsizetype space = cleaned.indexOf(QLatin1Char(' '));
        const QString name = space < 0 ? QString() : CatalogueName::stored(cleaned.left(space).trimmed());
        QString rest = space < 0 ? QString() : cleaned.mid(space + 1).trimmed();
        rest.replace(QLatin1Char('*'), QStringLiteral("×"));
        const qsizetype times = rest.lastIndexOf(QStringLiteral("×"));
        const QString quantity = BodyText::firstNumber(times >= 0 ? rest.mid(times + 1) : rest);
        items.append({name, quantity, CatalogueLookup::Scope::WesternLine, cleaned});
    }
    return items;
}
