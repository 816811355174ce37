#include "app/passwordcheck.h"

bool passwordMatches(const QString &entry, const QString &stored)
{
    return entry.trimmed().toLower() == stored.trimmed().toLower();
}

bool showsInitialPasswordHint(const QString &stored)
{
    return stored == QLatin1String("905");
}
