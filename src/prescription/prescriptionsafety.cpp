#include "prescription/prescriptionsafety.h"

#include "data/cataloguename.h"
#include "data/picklistrepository.h"
#include "prescription/bodyitems.h"
#include "prescription/drugcategories.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/safety/writtenherbs.h"

PrescriptionSafety::PrescriptionSafety(const SafetyRules &rules, PickListRepository &catalogue)
    : m_checker(rules)
    , m_catalogue(catalogue)
{
}

SafetyInput PrescriptionSafety::inputOf(const PrescriptionSheet &sheet, bool forSaving)
{
    SafetyInput input;
    input.kind = sheet.kind();
    input.allergyHistory = sheet.field(PrescriptionSheet::Allergy);
    input.diagnosis = sheet.field(PrescriptionSheet::Diagnosis);
    input.forSaving = forSaving;
    if (sheet.kind() == PrescriptionKind::Chinese) {
        readHerbs(sheet.body(), input);
        return input;
    }
    for (const BodyItem &item : BodyItems::read(sheet.kind(), sheet.body())) {
        if (item.name.isEmpty())
            continue;
        SafetyItem safety;
        safety.name = item.name;
        safety.quantity = item.quantity;
        if (item.scope == CatalogueLookup::Scope::Herb) {
            safety.kind = SafetyItem::Kind::Herb;
            safety.unit = item.unit;
        } else if (item.scope == CatalogueLookup::Scope::ChargeItem) {
            safety.kind = SafetyItem::Kind::Charge;
        } else {
            // A line the catalogue knows as a charge item or usage is no drug; any other named line is.
            const QString category = m_catalogue.categoryOf(item.name);
            safety.kind = category == DrugCategories::chargeCategory() ? SafetyItem::Kind::Charge
                : category == DrugCategories::usageCategory()          ? SafetyItem::Kind::Usage
                                                                       : SafetyItem::Kind::Drug;
        }
        input.items.append(safety);
    }
    return input;
}

void PrescriptionSafety::readHerbs(const QString &body, SafetyInput &input)
{
    const WrittenHerbs written = WrittenHerbs::read(body);
    input.items = written.herbs;
    const QString usage = written.usageLines.join(QLatin1Char(' '));
    input.externalUse = usage.contains(QStringLiteral("外用")) && !usage.contains(QStringLiteral("服"));
    if (!written.herbs.isEmpty())
        return;
    // Charge items after the herbs are no herbs; any other text is a herb the check could not read.
    for (const QString &line : written.otherLines) {
        const QString name = line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        const QString category = m_catalogue.categoryOf(CatalogueName::stored(name));
        if (category != DrugCategories::chargeCategory() && category != DrugCategories::usageCategory()) {
            input.bodyUnread = true;
            return;
        }
    }
}

QList<SafetyWarning> PrescriptionSafety::check(const PrescriptionSheet &sheet, bool forSaving)
{
    return m_checker.check(inputOf(sheet, forSaving));
}

bool PrescriptionSafety::hasRed(const QList<SafetyWarning> &warnings)
{
    for (const SafetyWarning &warning : warnings) {
        if (warning.severity == SafetyWarning::Severity::Red)
            return true;
    }
    return false;
}
