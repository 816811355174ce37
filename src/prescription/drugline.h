#pragma once

#include <QString>

// One row of the priced sheet; all cells are text. An empty name marks a free row.
struct DrugLine
{
    // The cells in sheet order; the first six are what the stored priced sheet keeps.
    enum Cell { Name, Quantity, Unit, UnitPrice, Amount, Drawer, Category, CellCount };

    QString name;      // as shown, with square brackets
    QString quantity;  // for a herb: per-dose quantity times the doses
    QString unit;
    QString unitPrice; // as stored in the catalogue
    QString amount;    // quantity × unit price as "0.000", empty when zero
    QString drawer;    // 斗位
    QString category;  // the catalogue category, e.g. "收费项目"

    QString cell(int cell) const;
    void setCell(int cell, const QString &text);
    bool isEmpty() const { return name.trimmed().isEmpty(); }
};
