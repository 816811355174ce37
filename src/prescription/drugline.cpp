#include "prescription/drugline.h"

QString DrugLine::cell(int cell) const
{
    switch (cell) {
    case Name:
        return name;
    case Quantity:
        return quantity;
    case Unit:
        return unit;
    case UnitPrice:
        return unitPrice;
    case Amount:
        return amount;
    case Drawer:
        return drawer;
    case Category:
        return category;
    default:
        return QString();
    }
}

void DrugLine::setCell(int cell, const QString &text)
{
    switch (cell) {
    case Name:
        name = text;
        break;
    case Quantity:
        quantity = text;
        break;
    case Unit:
        unit = text;
        break;
    case UnitPrice:
        unitPrice = text;
        break;
    case Amount:
        amount = text;
        break;
    case Drawer:
        drawer = text;
        break;
    case Category:
        category = text;
        break;
    default:
        break;
    }
}
