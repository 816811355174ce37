#include "prescription/prescriptionlifecycle.h"

#include "data/timestampkeygenerator.h"
#include "prescription/drugcategories.h"
#include "prescription/prescriptionsheet.h"

PrescriptionLifecycle::PrescriptionLifecycle(PrescriptionSheet &sheet, std::function<QDateTime()> now,
                                             std::function<QString(const QDateTime &)> freshId, std::function<SheetDefaults()> defaults)
    : m_sheet(sheet)
    , m_now(std::move(now))
    , m_freshId(std::move(freshId))
    , m_defaults(std::move(defaults))
{
}

void PrescriptionLifecycle::freshIdentity()
{
    const QDateTime now = m_now();
    m_sheet.setField(PrescriptionSheet::RecordNumber, TimestampKeyGenerator::stamp(now));
    m_sheet.setField(PrescriptionSheet::Date, now.date().toString(Qt::ISODate));
    m_sheet.setId(m_freshId(now));
}

SheetDefaults PrescriptionLifecycle::resetHeader()
{
    for (int i = 0; i < PrescriptionSheet::FieldCount; ++i)
        m_sheet.setField(i, QString());
    const SheetDefaults defaults = m_defaults();
    freshIdentity();
    m_sheet.setField(PrescriptionSheet::Physician, defaults.physician);
    m_sheet.setField(PrescriptionSheet::Dispenser, defaults.dispenser);
    m_sheet.setField(PrescriptionSheet::Department, defaults.department);
    m_sheet.setField(PrescriptionSheet::FeeClass, defaults.feeClass);
    return defaults;
}

void PrescriptionLifecycle::fillDefaults()
{
    const SheetDefaults defaults = resetHeader();
    m_sheet.setField(PrescriptionSheet::Checker, defaults.dispenser);
    m_sheet.setField(PrescriptionSheet::Allergy, QStringLiteral("未发现"));
}

void PrescriptionLifecycle::applyKindOfCategory()
{
    const int category = m_sheet.currentCategory();
    if (category == DrugCategories::Herbs || category == DrugCategories::Formulas) {
        m_sheet.setKind(PrescriptionKind::Chinese, SheetGeometry::BodyPlacement::ChineseWide);
        m_sheet.setDoses(QStringLiteral("6"));
    } else if (category < DrugCategories::ChargeItems) {
        m_sheet.setKind(PrescriptionKind::Western, SheetGeometry::BodyPlacement::Western);
    }
}

void PrescriptionLifecycle::start()
{
    PrescriptionSheet::LoadingScope loading(m_sheet);
    fillDefaults();
}

void PrescriptionLifecycle::newPrescription()
{
    PrescriptionSheet::LoadingScope loading(m_sheet);
    fillDefaults();
    m_sheet.setBody(QString());
    m_sheet.setCardText(QString());
    m_sheet.clearLines();
    applyKindOfCategory();
    m_sheet.setSettledMark(QString());
    m_sheet.setMedicalRecord(QString());
}

void PrescriptionLifecycle::renew()
{
    PrescriptionSheet::LoadingScope loading(m_sheet);
    freshIdentity();
    m_sheet.setBody(QString());
    m_sheet.setCardText(QString());
    m_sheet.clearLines();
    applyKindOfCategory();
    m_sheet.setSettledMark(QString());
    m_sheet.setField(PrescriptionSheet::DrugFee, QString());
    m_sheet.setField(PrescriptionSheet::OtherFee, QString());
    m_sheet.setField(PrescriptionSheet::Total, QString());
}

void PrescriptionLifecycle::copy()
{
    PrescriptionSheet::LoadingScope loading(m_sheet);
    {
        // The copy keeps the fees it shows; only the priced lines go.
        PrescriptionSheet::FrozenTotals frozen(m_sheet);
        m_sheet.clearLines();
    }
    freshIdentity();
    m_sheet.setSettledMark(QString());
}

void PrescriptionLifecycle::resetAfterDelete()
{
    m_sheet.setSettledMark(QString());
    {
        PrescriptionSheet::LoadingScope loading(m_sheet);
        resetHeader();
    }
    m_sheet.setBody(QString());
    m_sheet.clearLines();
    // The record belonged to the deleted prescription; kept, it would be saved with the next patient's.
    m_sheet.setMedicalRecord(QString());
    applyKindOfCategory();
}

bool PrescriptionLifecycle::selectCategory(int category)
{
    m_sheet.setCurrentCategory(category);
    const DrugCategories::KindEffect effect = DrugCategories::kindEffect(category);
    if (effect == DrugCategories::KindEffect::Unchanged)
        return false;
    const PrescriptionKind kind = effect == DrugCategories::KindEffect::Chinese ? PrescriptionKind::Chinese : PrescriptionKind::Western;
    const bool switching = m_sheet.kind() != kind;
    m_sheet.setKind(kind, SheetGeometry::BodyPlacement::ChineseNarrow);
    if (!switching)
        return false;
    freshIdentity();
    m_sheet.setBody(QString());
    m_sheet.clearLines();
    // A fresh prescription is not settled, whatever the one before was.
    m_sheet.setSettledMark(QString());
    if (kind == PrescriptionKind::Chinese)
        m_sheet.setDoses(QStringLiteral("6"));
    return true;
}
