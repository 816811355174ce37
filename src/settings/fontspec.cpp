#include "settings/fontspec.h"

#include "text/amount.h"

FontSpec FontSpec::fromTexts(const QString &name, const QString &pointSize)
{
    const double size = double(Amount::leadingNumber(pointSize).millionths()) / double(Amount::Scale);
    return {name.trimmed(), size > 0 ? size : 0};
}
