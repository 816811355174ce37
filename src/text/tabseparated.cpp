#include "text/tabseparated.h"

#include <QFile>

namespace TabSeparated {

QList<Line> lines(const QString &text)
{
    QList<Line> found;
    const QStringList all = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < all.size(); ++i) {
        QString line = all.at(i);
        if (i == 0 && line.startsWith(QChar(0xfeff)))
            line.remove(0, 1);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        found.append({int(i + 1), line, line.split(QLatin1Char('\t'))});
    }
    return found;
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace TabSeparated
