#include "prescription/prescriptionpricer.h"

#include "data/cataloguelookup.h"
#include "text/amount.h"

namespace {

QString bracketsForBraces(QString text)
{
    return text.replace(QLatin1Char('{'), QLatin1Char('[')).replace(QLatin1Char('}'), QLatin1Char(']'));
}

} // namespace

PrescriptionPricer::PrescriptionPricer(CatalogueLookup &catalogue)
    : m_catalogue(catalogue)
{
}

QList<DrugLine> PrescriptionPricer::price(PrescriptionKind kind, const QString &body, const QString &doses)
{
    QList<DrugLine> priced;
    const Amount perPrescription = Amount::leadingNumber(doses);
    for (const BodyItem &item : BodyItems::read(kind, body)) {
        if (item.name.isEmpty())
            continue;
        const std::optional<CatalogueItem> found = m_catalogue.find(item.name, item.scope);
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
        line.name = bracketsForBraces(found->name);
        line.quantity = bracketsForBraces(quantityText);
        line.unit = bracketsForBraces(found->unit);
        line.unitPrice = bracketsForBraces(found->unitPrice);
        line.amount = amount.toFixed(3);
        line.drawer = bracketsForBraces(found->drawer);
        line.category = bracketsForBraces(found->category);
        priced.append(line);
    }
    return priced;
}
