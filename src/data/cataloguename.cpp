#include "data/cataloguename.h"

namespace CatalogueName {

QString stored(QString shown)
{
    return shown.replace(QLatin1Char('['), QLatin1Char('{')).replace(QLatin1Char(']'), QLatin1Char('}'));
}

QString shown(QString stored)
{
    return stored.replace(QLatin1Char('{'), QLatin1Char('[')).replace(QLatin1Char('}'), QLatin1Char(']'));
}

} // namespace CatalogueName
