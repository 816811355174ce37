#pragma once

#include <QList>

#include "prescription/bodyitems.h"
#include "prescription/drugline.h"

class CatalogueLookup;

// Turns a prescription body into priced lines: every item found in the catalogue by its exact
// name becomes a line with the catalogue's unit, price, drawer and category and the quantity from
// the text (a herb's quantity times the doses). Items not found leave no line and no gap; a look-up
// that fails stops the pricing.
class PrescriptionPricer
{
public:
    explicit PrescriptionPricer(CatalogueLookup &catalogue);

    struct Priced
    {
        // The priced lines in body order (all of them; the sheet holds the first 36).
        QList<DrugLine> lines;
        // Why a look-up failed, in Chinese; then `lines` is empty: a catalogue that could not be read
        // is not one without the item, and a price without it would be wrong.
        QString readError;
        bool failed() const { return !readError.isEmpty(); }
    };

    Priced price(PrescriptionKind kind, const QString &body, const QString &doses);

private:
    CatalogueLookup &m_catalogue;
};
