#pragma once

#include <functional>

#include <QDate>

#include "data/writeresult.h"

class ArchiveRepository;
class PatientRepository;
class PrescriptionSheet;
struct ArchiveRecord;

// Stores the prescription on screen in the archive and keeps the patient register up to date, in
// one transaction: a save is stored completely or not at all, and a refusal is always reported.
class PrescriptionSaver
{
public:
    enum class Outcome { Saved, NameMissing, Refused };
    struct Result
    {
        Outcome outcome = Outcome::Saved;
        WriteResult write;
        bool saved() const { return outcome == Outcome::Saved; }
        // What the user is told when the save did not happen: a missing name as a notice, a
        // refused write as a warning with the database's reason.
        bool isNotice() const { return outcome == Outcome::NameMissing; }
        QString message() const { return isNotice() ? write.message : write.fullText(); }
    };

    PrescriptionSaver(ArchiveRepository &archive, PatientRepository &patients, std::function<QDate()> today);

    // Saves under the sheet's id. A drug fee or other charge that is a number is rewritten with two
    // decimals on the sheet as well. The patient row is written when the name and the age are there.
    Result save(PrescriptionSheet &sheet);
    // The archive row the sheet would be stored as.
    static ArchiveRecord recordOf(const PrescriptionSheet &sheet);

private:
    ArchiveRepository &m_archive;
    PatientRepository &m_patients;
    std::function<QDate()> m_today;
};
