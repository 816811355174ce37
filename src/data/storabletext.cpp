#include "data/storabletext.h"

namespace {

bool isStorable(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c.isNull())
        return false;
    if (c.isHighSurrogate())
        return i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
    if (c.isLowSurrogate())
        return i > 0 && text.at(i - 1).isHighSurrogate();
    return true;
}

} // namespace

QString storableText(const QString &text)
{
    qsizetype first = 0;
    while (first < text.size() && isStorable(text, first))
        ++first;
    // Nearly every text is clean; keep it as it is (an empty text stays empty, not null).
    if (first == text.size())
        return text;
    QString clean = text.left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        if (isStorable(text, i))
            clean.append(text.at(i));
    }
    return clean;
}
