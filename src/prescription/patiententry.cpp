#include "prescription/patiententry.h"

#include "data/patientrepository.h"
#include "data/wordlistrepository.h"
#include "prescription/patientkey.h"
#include "prescription/prescriptionsheet.h"

PatientEntry::PatientEntry(PrescriptionSheet &sheet, PatientRepository &patients, WordListRepository &diagnoses,
                           WordListRepository &addresses, std::function<QDate()> today)
    : m_sheet(sheet)
    , m_patients(patients)
    , m_diagnoses(diagnoses)
    , m_addresses(addresses)
    , m_today(std::move(today))
{
}

QList<PatientEntry::PatientChoice> PatientEntry::patientsFor(const QString &name)
{
    QList<PatientChoice> choices;
    if (name.size() <= 1)
        return choices;
    const int year = m_today().year();
    for (const PatientRepository::Match &match : m_patients.find(name)) {
        const QString age = PatientKey::ageText(match.birthYear, year);
        if (!age.isEmpty())
            choices.append({match.name + QLatin1Char('[') + age + QLatin1Char(']'), match.rowId});
    }
    return choices;
}

bool PatientEntry::pickPatient(qint64 rowId)
{
    const std::optional<PatientRepository::Patient> patient = m_patients.byRowId(rowId);
    if (!patient)
        return false;
    PrescriptionSheet::LoadingScope loading(m_sheet);
    m_sheet.setField(PrescriptionSheet::Name, patient->name);
    m_sheet.setField(PrescriptionSheet::Sex, patient->sex);
    m_sheet.setField(PrescriptionSheet::Age, PatientKey::ageText(patient->birthYear, m_today().year()));
    m_sheet.setField(PrescriptionSheet::FeeClass, patient->feeClass);
    m_sheet.setField(PrescriptionSheet::Address, patient->address);
    m_sheet.setField(PrescriptionSheet::Telephone, patient->telephone);
    m_sheet.setField(PrescriptionSheet::Allergy, patient->allergy);
    return true;
}

QString PatientEntry::diagnosisSearchText(const QString &field, bool wholeField)
{
    if (wholeField)
        return field;
    const qsizetype space = field.lastIndexOf(QLatin1Char(' '));
    return (space < 0 ? field : field.mid(space + 1)).trimmed();
}

QStringList PatientEntry::diagnosesFor(const QString &field, bool wholeField)
{
    return m_diagnoses.findNames(diagnosisSearchText(field, wholeField));
}

void PatientEntry::pickDiagnosis(const QString &name)
{
    const QString field = m_sheet.field(PrescriptionSheet::Diagnosis);
    const qsizetype space = field.lastIndexOf(QLatin1Char(' '));
    m_sheet.setField(PrescriptionSheet::Diagnosis, space < 0 ? name : field.left(space + 1) + name);
}

QStringList PatientEntry::addressesFor(const QString &text)
{
    return m_addresses.findNames(text);
}

void PatientEntry::pickAddress(const QString &name)
{
    m_sheet.setField(PrescriptionSheet::Address, name);
}
