#pragma once

#include <QList>
#include <QString>

#include "data/cataloguelookup.h"
#include "prescription/drugcategories.h"

// What pricing finds in a prescription body, item by item, before it looks anything up. The same
// reading serves the safety checks, so what is warned about is what is priced.
struct BodyItem
{
    // The catalogue name looked up (brackets as braces for drugs and herbs).
    QString name;
    // The quantity: a herb's quantity per dose, else the quantity of the line.
    QString quantity;
    // Where the item may be found in the catalogue.
    CatalogueLookup::Scope scope = CatalogueLookup::Scope::WesternLine;
    // The cleaned line or herb item it was read from.
    QString text;
    // A herb's unit as written ("g", "枚", …); empty for other items.
    QString unit;
};

class BodyItems
{
public:
    // A body line without its number marker ("1.", "(2)", "（3）", "4、", "5 " among the first four
    // characters, n from 20 down to 1), trimmed; empty when the line is empty or a usage line.
    static QString cleanLine(const QString &line);

    // A Western body: one item per kept line (name before the first space, quantity after the last
    // "×" or "*"). A Chinese body (laid out first): one item per herb, then one per kept line of the
    // tail, read as charge items.
    static QList<BodyItem> read(PrescriptionKind kind, const QString &body);
};
