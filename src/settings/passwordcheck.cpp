#include "settings/passwordcheck.h"

#include "data/settingsrepository.h"
#include "data/storabletext.h"

bool passwordMatches(const QString &entry, const QString &stored)
{
    return storableText(entry).trimmed().toLower() == storableText(stored).trimmed().toLower();
}

bool showsInitialPasswordHint(const QString &stored)
{
    return stored == SettingsRepository::initialPassword();
}
