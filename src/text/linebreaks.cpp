#include "text/linebreaks.h"

namespace LineBreaks {

QString shown(const QString &stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString stored(const QString &shownText)
{
    QString text = shown(shownText);
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

int shownPosition(const QString &stored, int position)
{
    return position - int(stored.left(position).count(QStringLiteral("\r\n")));
}

int storedPosition(const QString &shown, int position)
{
    return position + int(shown.left(position).count(QLatin1Char('\n')));
}

} // namespace LineBreaks
