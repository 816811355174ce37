#include "app/createfolderpath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

bool createFolderPath(const QString &path)
{
    // Both separators are accepted on every platform: paths are written the Windows way too.
    QString walked = path;
    walked.replace(QLatin1Char('\\'), QLatin1Char('/'));
    walked += QLatin1Char('/');
    // Doubled separators collapse, except the two that begin a network path.
    const QString start = walked.startsWith(QLatin1String("//")) ? QStringLiteral("//") : QString();
    walked = start + walked.mid(start.size()).replace(QRegularExpression(QStringLiteral("/{2,}")), QStringLiteral("/"));

    for (int slash = walked.indexOf(QLatin1Char('/'), start.size()); slash >= 0; slash = walked.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString part = walked.left(slash + 1);
        if (part != QLatin1String("/") && !QFileInfo(part).isDir())
            QDir().mkdir(part);
    }
    return QFileInfo(walked).isDir();
}
