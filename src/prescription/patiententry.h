#pragma once

#include <functional>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class PatientRepository;
class PrescriptionSheet;
class WordListRepository;

// The pick lists under the header fields: earlier patients under the name, common diagnoses under
// the diagnosis (working on the last of several space-separated diagnoses), common addresses under
// the address; and what picking fills in.
class PatientEntry
{
public:
    struct PatientChoice
    {
        QString text; // name + "[" + age + "岁]"
        qint64 rowId = 0;
    };

    PatientEntry(PrescriptionSheet &sheet, PatientRepository &patients, WordListRepository &diagnoses,
                 WordListRepository &addresses, std::function<QDate()> today);

    // Earlier patients for the name as typed; none for a name of one character or less. A patient
    // whose stored birth year is not a number is left out.
    QList<PatientChoice> patientsFor(const QString &name);
    // Fills name, sex, age, fee class, address, telephone and allergy from the picked patient.
    bool pickPatient(qint64 rowId);

    // The search text of the diagnosis field: the part after its last space, trimmed (when the field
    // is changed); the whole field as it is (when it gets the focus).
    static QString diagnosisSearchText(const QString &field, bool wholeField);
    QStringList diagnosesFor(const QString &field, bool wholeField);
    // Completes the last diagnosis; earlier ones stay.
    void pickDiagnosis(const QString &name);

    QStringList addressesFor(const QString &text);
    void pickAddress(const QString &name);

private:
    PrescriptionSheet &m_sheet;
    PatientRepository &m_patients;
    WordListRepository &m_diagnoses;
    WordListRepository &m_addresses;
    std::function<QDate()> m_today;
};
