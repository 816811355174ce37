#include "prescription/prescriptionhistory.h"

#include "data/cataloguelookup.h"
#include "data/cataloguename.h"
#include "data/deletedrowsrepository.h"
#include "data/statisticsrepository.h"
#include "prescription/prescriptionsheet.h"

PrescriptionHistory::PrescriptionHistory(ArchiveRepository &archive, StatisticsRepository &statistics, CatalogueLookup &catalogue,
                                         DeletedRowsRepository *deletedRows)
    : m_archive(archive)
    , m_statistics(statistics)
    , m_catalogue(catalogue)
    , m_deletedRows(deletedRows)
{
}

QString PrescriptionHistory::rowText(const ArchiveRepository::HistoryEntry &entry)
{
    // Stored dates are already "yyyy-mm-dd"; parsing each one would cost more than the query.
    const bool iso = entry.date.size() == 10 && entry.date.at(4) == QLatin1Char('-') && entry.date.at(7) == QLatin1Char('-');
    const QDate date = iso ? QDate() : parseDate(entry.date);
    const QString shown = iso ? entry.date : date.isValid() ? date.toString(Qt::ISODate) : entry.date;
    return entry.name + QLatin1Char('[') + entry.sex + QLatin1Char(',') + entry.age + QLatin1Char(',') + shown + QLatin1Char(']')
        + entry.settledMark;
}

QDate PrescriptionHistory::parseDate(const QString &text)
{
    return QDate::fromString(text.trimmed(), QStringLiteral("yyyy-M-d"));
}

QList<ArchiveRepository::HistoryEntry> PrescriptionHistory::query(const QString &nameFilter, const QString &from, const QString &to)
{
    return m_archive.history(nameFilter, parseDate(from), parseDate(to));
}

void PrescriptionHistory::restore(const ArchiveRecord &record, PrescriptionSheet &sheet)
{
    PrescriptionSheet::LoadingScope loading(sheet);
    const PrescriptionKind kind = kindOfStored(record.kind);
    sheet.setKind(kind, kind == PrescriptionKind::Chinese ? SheetGeometry::BodyPlacement::ChineseNarrow : SheetGeometry::BodyPlacement::Western);
    for (int i = 0; i < PrescriptionSheet::FieldCount; ++i)
        sheet.setField(i, record.fields.value(i));
    const QDate date = parseDate(record.fields.value(PrescriptionSheet::Date));
    if (date.isValid())
        sheet.setField(PrescriptionSheet::Date, date.toString(Qt::ISODate));
    sheet.setBody(record.body);
    sheet.setCardText(record.cardText);
    sheet.setId(record.id);
    sheet.setSettledMark(record.settledMark);
    sheet.setDoses(record.doses);
    sheet.setMedicalRecord(record.medicalRecord);
    sheet.setGrandTotal(record.fields.value(PrescriptionSheet::Total));
    sheet.restorePricedSheet(record.pricedSheet);
    // The archive keeps no categories: a row must not keep the one an earlier prescription left.
    PrescriptionSheet::FrozenTotals frozen(sheet);
    for (int row = 0; row < PrescriptionSheet::LineCount; ++row) {
        DrugLine line = sheet.line(row);
        if (line.category.isEmpty())
            continue;
        line.category.clear();
        sheet.setLine(row, line);
    }
}

QString PrescriptionHistory::categoryOf(const QString &name, PrescriptionKind kind)
{
    const CatalogueLookup::Found found = m_catalogue.findPriced(CatalogueName::stored(name.trimmed()), kind == PrescriptionKind::Chinese);
    return found.item ? found.item->category : QString();
}

bool PrescriptionHistory::reopen(qint64 rowId, PrescriptionSheet &sheet)
{
    const std::optional<ArchiveRecord> record = m_archive.byRowId(rowId);
    if (!record)
        return false;
    restore(*record, sheet);
    PrescriptionSheet::FrozenTotals frozen(sheet);
    for (int row = 0; row < PrescriptionSheet::LineCount; ++row) {
        DrugLine line = sheet.line(row);
        if (line.name.trimmed().isEmpty())
            continue;
        line.category = categoryOf(line.name, sheet.kind());
        sheet.setLine(row, line);
    }
    return true;
}

QString PrescriptionHistory::deleteQuestion(const QString &name, const QString &date)
{
    const QString who = name.trimmed().isEmpty() ? QStringLiteral("（未填姓名）") : name.trimmed();
    return QStringLiteral("确实要永久删除该档案吗？\n\n将删除的是处方笺上的这张处方：%1，%2").arg(who, date.trimmed());
}

WriteResult PrescriptionHistory::remove(const QString &prescriptionId, const QDateTime &now)
{
    const auto removal = [&] {
        return m_archive.remove(prescriptionId, nullptr, [this](const QString &id) { return m_statistics.remove(id); });
    };
    const WriteResult removed = m_deletedRows ? m_deletedRows->keepPrescription(prescriptionId, now, removal) : removal();
    if (removed.ok)
        return removed;
    QString reason = removed.message;
    if (reason.startsWith(QStringLiteral("保存失败：")))
        reason = reason.mid(QStringLiteral("保存失败：").size());
    return WriteResult::failure(QStringLiteral("删除失败，处方未删除：") + reason, removed.detail);
}
