#pragma once

#include <QString>

#include "records/medicalrecordform.h"

class PrescriptionSheet;

// The header of a medical record: the organisation's record title, the visit time taken from the
// prescription's id and the patient's lines, as the record window shows and prints them.
class RecordHeader
{
public:
    // The organisation name without any "处方笺", followed by "门诊病历".
    static QString title(const QString &organisation);
    // "就诊时间：" and the time of the id's "yyyymmddhhmmss" stamp as 2024年03月01日09时30分; only
    // "就诊时间：" when the id does not end in a time stamp.
    static QString visitTime(const QString &prescriptionId);
    // Every header line of the prescription on the sheet.
    static MedicalRecordForm::Header of(const PrescriptionSheet &sheet, const QString &organisation);
};
