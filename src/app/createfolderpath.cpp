#include "app/createfolderpath.h"

#include <QDir>
#include <QFileInfo>

bool createFolderPath(const QString &path)
{
    // Both separators are accepted on every platform: paths are written the Windows way too.
    QString walked = path;
    walked.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool network = walked.startsWith(QLatin1String("//"));
    walked += QLatin1Char('/');
    while (walked.indexOf(QLatin1String("//"), network ? 1 : 0) >= 0)
        walked.replace(walked.indexOf(QLatin1String("//"), network ? 1 : 0), 2, QStringLiteral("/"));

    for (int slash = walked.indexOf(QLatin1Char('/')); slash >= 0; slash = walked.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString part = walked.left(slash + 1);
        if (part == QLatin1String("/") || (network && slash < 2) || QFileInfo(part).isDir())
            continue;
        QDir().mkdir(part);
    }
    return QFileInfo(walked).isDir();
}
