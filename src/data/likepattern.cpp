#include "data/likepattern.h"

namespace {

QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            result.append(QLatin1Char('\\'));
        result.append(c);
    }
    return result;
}

} // namespace

QString containsPattern(const QString &text)
{
    return QLatin1Char('%') + escaped(text) + QLatin1Char('%');
}

QString startsWithPattern(const QString &text)
{
    return escaped(text) + QLatin1Char('%');
}
