#include "text/pinyininitials.h"

#include "text/pinyintables.h"

QString initialOf(QChar c, const PinyinTables &tables)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return QString(c);
    if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'))
        return QString(c.toLower());
    if (u < 0x80)
        return QString();
    const char letter = tables.letterOf(u);
    return letter ? QString(QLatin1Char(letter)) : QString();
}

QString initialOf(QChar c)
{
    return initialOf(c, PinyinTables::shipped());
}

QString pinyinInitials(const QString &text, const PinyinTables &tables)
{
    const int space = text.indexOf(QLatin1Char(' '));
    const int examined = space < 0 ? int(text.size()) : space;
    QString result;
    result.reserve(examined);
    for (int i = 0; i < examined; ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u < 0x80) {
            if ((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z'))
                result.append(c);
            else if (u >= u'A' && u <= u'Z')
                result.append(QChar(u + 32));
            continue;
        }
        if (const char letter = tables.letterOf(u))
            result.append(QLatin1Char(letter));
        else if (tables.inFallbackRange(u))
            result.append(QLatin1Char('y'));
    }
    return result;
}

QString pinyinInitials(const QString &text)
{
    return pinyinInitials(text, PinyinTables::shipped());
}

QString initialsDigitCode(const QString &initials)
{
    QString digits;
    digits.reserve(initials.size());
    for (QChar c : initials) {
        const char16_t k = c.unicode();
        if (k >= u'a' && k <= u'z')
            digits.append(QChar(keypadDigit(k)));
    }
    return digits;
}

QString searchKey(const QString &name, const QString &initials)
{
    return name + initials + initialsDigitCode(initials);
}
