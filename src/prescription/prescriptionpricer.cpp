#include "prescription/prescriptionpricer.h"

#include "data/cataloguelookup.h"
#include "data/cataloguename.h"
#include "text/amount.h"

PrescriptionPricer::PrescriptionPricer(CatalogueLookup &catalogue)
    : m_catalogue(catalogue)
{
}

PrescriptionPricer::Priced PrescriptionPricer::price(PrescriptionKind kind, const QString &body, const QString &doses)
{
    Priced result;
    QList<DrugLine> &priced = result.lines;
    const Amount perPrescription = Amount::leadingNumber(doses);
    for (const BodyItem &item : BodyItems::read(kind, body)) {
        if (item.name.isEmpty())
            continue;
        const CatalogueLookup::Found lookedUp = m_catalogue.find(item.name, item.scope);
        if (lookedUp.failed())
            return {{}, lookedUp.readError};
        const std::optional<CatalogueItem> &found = lookedUp.item;
        if (!found)
            continue;
        Amount quantity = Amount::leadingNumber(item.quantity);
        QString quantityText = item.quantity;
        if (item.scope == CatalogueLookup::Scope::Herb) {
            quantity = quantity * perPrescription;
            quantityText = quantity.toShortest();
        }
        const Amount amount = quantity * Amount::leadingNumber(found->unitPrice);
        DrugLine line;
        line.name = CatalogueName::shown(found->name);
        line.quantity = CatalogueName::shown(quantityText);
        line.unit = CatalogueName::shown(found->unit);
        line.unitPrice = CatalogueName::shown(found->unitPrice);
        line.amount = amount.toFixed(3);
        line.drawer = CatalogueName::shown(found->drawer);
        line.category = CatalogueName::shown(found->category);
        priced.append(line);
    }
    return result;
}
