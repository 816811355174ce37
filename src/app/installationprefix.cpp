#include "app/installationprefix.h"

#include <QCryptographicHash>
#include <QSysInfo>

QString installationPrefix(const QByteArray &machineId)
{
    // Four letters A–Z from a hash of the machine id: short, stable, and unlikely to collide in one clinic.
    const QByteArray hash = QCryptographicHash::hash(machineId, QCryptographicHash::Sha1);
    QString prefix;
    for (int i = 0; i < 4; ++i)
        prefix.append(QChar(u'A' + (unsigned char)hash.at(i) % 26));
    return prefix;
}

QString installationPrefix()
{
    QByteArray id = QSysInfo::machineUniqueId();
    if (id.isEmpty())
        id = QSysInfo::machineHostName().toUtf8();
    return installationPrefix(id);
}
