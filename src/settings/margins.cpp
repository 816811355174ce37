#include "settings/margins.h"

#include "text/amount.h"

double Margins::millimetres(const QString &text)
{
    return double(Amount::leadingNumber(text).millionths()) / double(Amount::Scale);
}

Margins Margins::fromTexts(const QString &left, const QString &top)
{
    return {millimetres(left), millimetres(top)};
}
