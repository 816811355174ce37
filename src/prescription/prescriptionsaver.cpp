#include "prescription/prescriptionsaver.h"

#include "data/archiverepository.h"
#include "data/patientrepository.h"
#include "data/tables.h"
#include "prescription/patientkey.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/sheetgeometry.h"
#include "text/amount.h"

namespace {

// A header field longer than its archive column, refused under the caption the user sees.
WriteResult headerFieldsFit(const PrescriptionSheet &sheet)
{
    for (int i = 0; i < PrescriptionSheet::FieldCount; ++i) {
        const int width = Tables::archive().width(QString::number(i));
        if (width > 0 && sheet.field(i).toUcs4().size() > width) {
            QString caption = SheetGeometry::headerFields().value(i).caption;
            caption.remove(QStringLiteral("："));
            return WriteResult::tooLong(caption, width);
        }
    }
    return WriteResult::success();
}

} // namespace

PrescriptionSaver::PrescriptionSaver(ArchiveRepository &archive, PatientRepository &patients, std::function<QDate()> today)
    : m_archive(archive)
    , m_patients(patients)
    , m_today(std::move(today))
{
}

ArchiveRecord PrescriptionSaver::recordOf(const PrescriptionSheet &sheet)
{
    ArchiveRecord record;
    record.id = sheet.id();
    for (int i = 0; i < PrescriptionSheet::FieldCount; ++i)
        record.fields.append(sheet.field(i));
    record.kind = storedKind(sheet.kind());
    record.body = sheet.body();
    record.cardText = sheet.cardText();
    record.medicalRecord = sheet.medicalRecord();
    record.settledMark = sheet.settledMark();
    record.doses = sheet.doses();
    record.pricedSheet = sheet.pricedSheetText();
    return record;
}

PrescriptionSaver::Result PrescriptionSaver::save(PrescriptionSheet &sheet, const ArchiveRepository::AlsoWrite &also)
{
    if (sheet.field(PrescriptionSheet::Name).trimmed().isEmpty())
        return {Outcome::NameMissing, WriteResult::failure(QStringLiteral("请输入患者姓名！")), {}};

    // The stored date is a date: one typed as 2024-3-1 is stored as 2024-03-01, one that is no date
    // at all is refused before anything is written.
    const QString dateText = sheet.field(PrescriptionSheet::Date).trimmed();
    if (!dateText.isEmpty()) {
        const QDate date = PrescriptionHistory::parseDate(dateText);
        if (!date.isValid())
            return {Outcome::Refused,
                    WriteResult::failure(QStringLiteral("保存失败：日期“%1”不是有效的日期，请按“2016-01-03”的格式填写。").arg(dateText))};
        sheet.setField(PrescriptionSheet::Date, date.toString(Qt::ISODate));
    }
    for (const int fee : {int(PrescriptionSheet::DrugFee), int(PrescriptionSheet::OtherFee)}) {
        const Amount value = Amount::leadingNumber(sheet.field(fee));
        if (!value.isZero())
            sheet.setField(fee, value.toFixed(2));
    }

    const ArchiveRecord record = recordOf(sheet);
    std::optional<PatientRepository::Patient> patient;
    const QString name = sheet.field(PrescriptionSheet::Name);
    const QString age = sheet.field(PrescriptionSheet::Age);
    if (!name.isEmpty() && !age.isEmpty()) {
        const QString year = PatientKey::birthYear(age, m_today().year());
        PatientRepository::Patient p;
        // A name too long for the register is kept there shortened; the key follows the kept
        // name, so that the patient picked from the register again finds the same row.
        p.key = PatientKey::of(PatientRepository::fitted(QStringLiteral("姓名"), name), year);
        p.name = name;
        p.sex = sheet.field(PrescriptionSheet::Sex);
        p.birthYear = year;
        p.medicalCard = sheet.field(PrescriptionSheet::Allergy);
        p.address = sheet.field(PrescriptionSheet::Address);
        p.diagnosis = sheet.field(PrescriptionSheet::Diagnosis);
        p.feeClass = sheet.field(PrescriptionSheet::FeeClass);
        p.telephone = sheet.field(PrescriptionSheet::Telephone);
        p.allergy = sheet.field(PrescriptionSheet::Allergy);
        patient = p;
    }
    // A field wider than the archive's column is refused under its caption on screen; the register
    // keeps what fits of its narrower columns (PatientRepository::save).
    const WriteResult fits = headerFieldsFit(sheet);
    if (!fits.ok)
        return {Outcome::Refused, fits, {}};

    QString storedId;
    QStringList shortened;
    const WriteResult written = m_archive.save(record, m_patients, patient, &storedId, &shortened, also);
    if (!written.ok && written.connectionLost) {
        // Nothing on screen is lost: the same save works once the server is back.
        WriteResult lost = WriteResult::failure(QStringLiteral("保存失败：与数据库服务器的连接中断，处方仍在屏幕上，恢复连接后请再保存。"), written.detail);
        lost.connectionLost = true;
        return {Outcome::Refused, lost, {}};
    }
    if (!written.ok)
        return {Outcome::Refused, written, {}};
    // Another computer took the id meanwhile: the sheet now shows the one it is stored under.
    if (!storedId.isEmpty() && storedId != sheet.id())
        sheet.setId(storedId);
    return {Outcome::Saved, written, shortened};
}
