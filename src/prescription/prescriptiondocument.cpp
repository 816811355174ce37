#include "prescription/prescriptiondocument.h"

#include "data/archiverepository.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionlifecycle.h"
#include "prescription/prescriptionpricer.h"
#include "prescription/prescriptionsheet.h"
#include "settings/clinicsettings.h"

PrescriptionDocument::PrescriptionDocument(const PrescriptionServices &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_sheet(std::make_unique<PrescriptionSheet>())
{
    const auto today = [this] { return m_services.now().date(); };
    m_lifecycle = std::make_unique<PrescriptionLifecycle>(
        *m_sheet, m_services.now,
        [this](const QDateTime &now) { return m_services.archive.freshId(m_services.installationPrefix, now); },
        [this] {
            ClinicSettings &settings = m_services.settings;
            return SheetDefaults{settings.value(Setting::Physician), settings.value(Setting::Dispenser),
                                 settings.value(Setting::Department), settings.value(Setting::FeeClass)};
        });
    m_pricer = std::make_unique<PrescriptionPricer>(m_services.catalogue);
    m_saver = std::make_unique<PrescriptionSaver>(m_services.archive, m_services.patients, today);
    m_settlement = std::make_unique<Settlement>(*m_sheet, *m_pricer, *m_saver, m_services.statistics);
    m_history = std::make_unique<PrescriptionHistory>(m_services.archive, m_services.statistics, m_services.catalogue,
                                                      &m_services.deletedRows);

    for (const auto change : {&PrescriptionSheet::kindChanged, &PrescriptionSheet::dosesChanged, &PrescriptionSheet::bodyChanged,
                              &PrescriptionSheet::cardTextChanged, &PrescriptionSheet::idChanged,
                              &PrescriptionSheet::settledMarkChanged, &PrescriptionSheet::medicalRecordChanged,
                              &PrescriptionSheet::linesChanged, &PrescriptionSheet::grandTotalChanged})
        connect(m_sheet.get(), change, this, &PrescriptionDocument::updateModified);
    connect(m_sheet.get(), &PrescriptionSheet::fieldChanged, this, &PrescriptionDocument::updateModified);
    markSaved();
}

PrescriptionDocument::~PrescriptionDocument() = default;

QStringList PrescriptionDocument::snapshot() const
{
    const ArchiveRecord record = PrescriptionSaver::recordOf(*m_sheet);
    return record.fields
        + QStringList{record.id, record.kind, record.body, record.cardText, record.medicalRecord, record.settledMark, record.doses,
                      record.pricedSheet};
}

void PrescriptionDocument::markSaved()
{
    m_snapshot = snapshot();
    updateModified();
}

void PrescriptionDocument::markStored()
{
    m_savedId = m_sheet->id();
    markSaved();
}

void PrescriptionDocument::updateModified()
{
    const bool modified = isModified();
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

bool PrescriptionDocument::isModified() const
{
    return snapshot() != m_snapshot;
}

bool PrescriptionDocument::holdsTyping() const
{
    return !m_sheet->field(PrescriptionSheet::Name).trimmed().isEmpty() || !m_sheet->body().trimmed().isEmpty();
}

bool PrescriptionDocument::isStored() const
{
    return m_sheet->id() == m_savedId;
}

template<typename Step>
void PrescriptionDocument::replaceWith(Step step)
{
    emit replacing();
    step();
    markSaved();
}

void PrescriptionDocument::start()
{
    m_lifecycle->start();
    markSaved();
}

void PrescriptionDocument::newPrescription()
{
    replaceWith([this] { m_lifecycle->newPrescription(); });
}

void PrescriptionDocument::renew()
{
    replaceWith([this] { m_lifecycle->renew(); });
}

void PrescriptionDocument::copy()
{
    m_lifecycle->copy();
    markSaved();
}

bool PrescriptionDocument::selectCategory(int category)
{
    if (!m_lifecycle->selectCategory(category))
        return false;
    markSaved();
    return true;
}

bool PrescriptionDocument::reopen(qint64 rowId)
{
    emit replacing();
    if (!m_history->reopen(rowId, *m_sheet))
        return false;
    // A prescription from the archive is a stored one: it shows what a save would have shown.
    markStored();
    return true;
}

WriteResult PrescriptionDocument::remove()
{
    const WriteResult removed = m_history->remove(m_sheet->id(), m_services.now());
    if (!removed.ok)
        return removed;
    emit replacing();
    m_lifecycle->resetAfterDelete();
    return removed;
}

PrescriptionSaver::Result PrescriptionDocument::save()
{
    m_sheet->layOutHerbs();
    PrescriptionSaver::Result result;
    {
        // The save writes the fees back with two decimals; a total typed by hand stays as it is.
        PrescriptionSheet::LoadingScope loading(*m_sheet);
        result = m_saver->save(*m_sheet);
    }
    afterSave(result.saved(), true);
    return result;
}

Settlement::Result PrescriptionDocument::settle()
{
    const Settlement::Result result = m_settlement->settle();
    afterSave(result.save.saved(), true);
    return result;
}

Settlement::Result PrescriptionDocument::cancelSettlement()
{
    const Settlement::Result result = m_settlement->cancel();
    // Taking a settlement back stores the sheet but leaves the stored id as it was.
    afterSave(result.save.saved(), false);
    return result;
}

void PrescriptionDocument::afterSave(bool saved, bool storedUnderItsId)
{
    if (saved && storedUnderItsId)
        markStored();
    else if (saved)
        markSaved();
    emit saveAttempted();
}

QStringList PrescriptionDocument::bodyDisplayLines() const
{
    return PrescriptionForm::bodyDisplayLines(m_sheet->body(), m_sheet->bodyPlacement());
}

WriteResult PrescriptionDocument::keepPrintOverride(const QString &entry)
{
    if (!isStored())
        return WriteResult::failure(QStringLiteral("记录“仍打印”失败：处方尚未保存。"));
    return m_services.archive.addPrintOverride(m_savedId, entry);
}

PrescriptionForm PrescriptionDocument::form() const
{
    ClinicSettings &settings = m_services.settings;
    return PrescriptionForm(*m_sheet, {settings.value(Setting::OrganisationName), settings.prescriptionMargins(),
                                       settings.prescriptionFont()});
}
