#pragma once

#include <QList>
#include <QString>

#include "prescription/drugline.h"

// The stored form of the priced sheet (archive column 计价): six groups — names, quantities, units,
// unit prices, amounts, drawers — each value followed by "@", each group by "$", rows from the first
// up to the first row without a name. "A@B@$2@1@$盒@支@$3.5@1.2@$7.000@1.200@$@@$".
class PricedSheetText
{
public:
    static QString encode(const QList<DrugLine> &lines);
    // The k-th value of group g goes into row k, cell g; groups shorter or longer than others and
    // a text cut short restore what they hold. The category cells stay empty.
    static QList<DrugLine> decode(const QString &text, int maxRows);
};
