#include "records/recordheader.h"

#include <QDate>
#include <QTime>

#include "prescription/prescriptionsheet.h"

namespace {

constexpr int StampLength = 14;

} // namespace

QString RecordHeader::title(const QString &organisation)
{
    return QString(organisation).remove(QStringLiteral("处方笺")) + QStringLiteral("门诊病历");
}

QString RecordHeader::visitTime(const QString &prescriptionId)
{
    const QString caption = QStringLiteral("就诊时间：");
    // The installation prefix in front of the stamp may hold digits itself, so the stamp is
    // taken from the end. Date and time apart: a wall-clock time never falls into a time zone's gap.
    const QString stamp = prescriptionId.right(StampLength);
    const QDate date = QDate::fromString(stamp.left(8), QStringLiteral("yyyyMMdd"));
    const QTime time = QTime::fromString(stamp.mid(8), QStringLiteral("HHmmss"));
    if (stamp.size() < StampLength || !date.isValid() || !time.isValid())
        return caption;
    return caption + date.toString(QStringLiteral("yyyy年MM月dd日")) + time.toString(QStringLiteral("HH时mm分"));
}

MedicalRecordForm::Header RecordHeader::of(const PrescriptionSheet &sheet, const QString &organisation)
{
    MedicalRecordForm::Header header;
    header.title = title(organisation);
    header.visitTime = visitTime(sheet.id());
    header.name = QStringLiteral("姓名：") + sheet.field(PrescriptionSheet::Name);
    header.sex = QStringLiteral("性别：") + sheet.field(PrescriptionSheet::Sex);
    header.age = QStringLiteral("年龄：") + sheet.field(PrescriptionSheet::Age);
    header.department = QStringLiteral("科别：") + sheet.field(PrescriptionSheet::Department);
    header.address = QStringLiteral("住址/电话：") + sheet.field(PrescriptionSheet::Address);
    return header;
}
