#include "prescription/safety/massquantity.h"

#include "prescription/safety/foldedtext.h"

namespace {

// Decimal places of the unit that make a whole microgram.
int microgramDigits(const QString &unit)
{
    const QString u = foldedText(unit).trimmed().toLower();
    if (u == QLatin1String("g") || u == QStringLiteral("克"))
        return 6;
    if (u == QLatin1String("mg") || u == QStringLiteral("毫克"))
        return 3;
    if (u == QLatin1String("kg") || u == QStringLiteral("千克") || u == QStringLiteral("公斤"))
        return 9;
    return -1;
}

} // namespace

std::optional<MassQuantity> MassQuantity::parse(const QString &quantity, const QString &unit)
{
    const int digits = microgramDigits(unit);
    if (digits < 0)
        return std::nullopt;
    const QString text = foldedText(quantity).trimmed();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    // Nine whole digits are far beyond any dose and keep the sum inside 64 bits.
    if ((whole.isEmpty() && fraction.isEmpty()) || whole.size() > 9)
        return std::nullopt;
    const auto allDigits = [](const QString &s) {
        for (QChar c : s) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        return true;
    };
    if (!allDigits(whole) || !allDigits(fraction))
        return std::nullopt;

    qint64 value = 0;
    for (QChar c : whole)
        value = value * 10 + (c.unicode() - u'0');
    for (int i = 0; i < digits; ++i)
        value = value * 10 + (i < fraction.size() ? fraction.at(i).unicode() - u'0' : 0);
    for (qsizetype i = digits; i < fraction.size(); ++i) {
        if (fraction.at(i) != QLatin1Char('0')) {
            ++value;
            break;
        }
    }
    return MassQuantity(value);
}
