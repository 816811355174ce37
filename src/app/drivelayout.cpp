#include "app/drivelayout.h"

#include <QDir>

DriveLayout DriveLayout::forThisComputer()
{
    DriveLayout layout;
#ifdef Q_OS_WIN
    layout.cRoot = QStringLiteral("C:/");
    if (QDir(QStringLiteral("D:/")).exists())
        layout.dRoot = QStringLiteral("D:/");
    layout.networkRoot = QStringLiteral("//");
#else
    layout.cRoot = QDir::homePath();
    layout.networkRoot = QStringLiteral("/mnt");
#endif
    return layout;
}

QString DriveLayout::remoteFolder(const QString &computerName) const
{
    QString root = networkRoot;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root + computerName + QStringLiteral("/电子处方数据库");
}

QString DriveLayout::backupRoot() const
{
    if (!dataFolder.isEmpty())
        return QDir::cleanPath(dataFolder) + QStringLiteral("备份");
    return QDir(cRoot).filePath(QStringLiteral("电子处方数据库备份"));
}
