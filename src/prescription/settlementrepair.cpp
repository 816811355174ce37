#include "prescription/settlementrepair.h"

#include "data/cataloguelookup.h"
#include "data/cataloguename.h"
#include "data/statisticsrepository.h"
#include "prescription/drugcategories.h"
#include "prescription/prescriptionhistory.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/pricedsheettext.h"

namespace {

// The most prescriptions a question names; the rest are counted.
constexpr int MostNamed = 10;

QList<DrugLine> pricedLines(const ArchiveRecord &record)
{
    QList<DrugLine> lines;
    for (const DrugLine &line : PricedSheetText::decode(record.pricedSheet, PrescriptionSheet::LineCount)) {
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

} // namespace

SettlementRepair::SettlementRepair(ArchiveRepository &archive, StatisticsRepository &statistics, CatalogueLookup &catalogue)
    : m_archive(archive)
    , m_statistics(statistics)
    , m_catalogue(catalogue)
{
}

bool SettlementRepair::checkedBefore()
{
    return m_statistics.leftoversChecked();
}

std::optional<SettlementRepair::Findings> SettlementRepair::find(QString *error)
{
    const std::optional<StatisticsRepository::Leftovers> leftovers = m_statistics.leftovers();
    if (!leftovers) {
        if (error)
            *error = QStringLiteral("读取档案和用药统计失败。");
        return std::nullopt;
    }
    Findings findings;
    findings.orphanIds = leftovers->linesWithoutPrescription;
    // A settled prescription legitimately has no lines when nothing was found in the catalogue or
    // it has no date: only the rows of the few candidates are read.
    for (const QString &id : leftovers->settledWithoutLines) {
        const std::optional<ArchiveRecord> record = m_archive.byId(id);
        if (!record)
            continue;
        if (record->fields.value(PrescriptionSheet::Name).trimmed().isEmpty()
            || PrescriptionHistory::parseDate(record->fields.value(PrescriptionSheet::Date)).isNull() || pricedLines(*record).isEmpty())
            continue;
        findings.withoutLines.append(*record);
    }
    if (findings.isEmpty())
        m_statistics.markLeftoversChecked();
    return findings;
}

QString SettlementRepair::question(const Findings &findings)
{
    if (findings.isEmpty())
        return QString();
    QStringList parts;
    if (!findings.withoutLines.isEmpty()) {
        QStringList named;
        for (const ArchiveRecord &record : findings.withoutLines.mid(0, MostNamed))
            named.append(QStringLiteral("  %1  %2").arg(record.fields.value(PrescriptionSheet::Name), record.fields.value(PrescriptionSheet::Date)));
        if (findings.withoutLines.size() > MostNamed)
            named.append(QStringLiteral("  ……共%1张").arg(findings.withoutLines.size()));
        parts.append(QStringLiteral("有%1张已结算的处方没有用药统计（以前的版本在结算中途被中断）：\n%2\n"
                                    "选“是”按这些处方已划价的内容补上用药统计（处方本身不变）。")
                         .arg(findings.withoutLines.size())
                         .arg(named.join(QLatin1Char('\n'))));
    }
    if (!findings.orphanIds.isEmpty())
        parts.append(QStringLiteral("有%1张已删除的处方还留有用药统计，会多算用药量；它们将被删除。").arg(findings.orphanIds.size()));
    return parts.join(QStringLiteral("\n\n"));
}

WriteResult SettlementRepair::removeOrphans(const Findings &findings)
{
    if (findings.orphanIds.isEmpty())
        return WriteResult::success();
    return m_statistics.removeLines(findings.orphanIds);
}

WriteResult SettlementRepair::mend(const Findings &findings)
{
    for (const ArchiveRecord &record : findings.withoutLines) {
        const bool chinese = kindOfStored(record.kind) == PrescriptionKind::Chinese;
        QList<StatisticsLine> lines;
        for (const DrugLine &line : pricedLines(record)) {
            // The stored sheet keeps no category: the catalogue gives it, where pricing looked.
            const QString name = CatalogueName::stored(line.name);
            const CatalogueLookup::Found found = m_catalogue.findPriced(name, chinese);
            if (found.failed())
                return WriteResult::failure(QStringLiteral("保存失败：") + found.readError);
            const QString category = found.item ? CatalogueName::shown(found.item->category) : QString();
            lines.append({line.name, line.quantity, line.unit, line.unitPrice, line.amount, line.drawer, category});
        }
        const QDate date = PrescriptionHistory::parseDate(record.fields.value(PrescriptionSheet::Date));
        const WriteResult written = m_statistics.replace(record.id, date.toString(Qt::ISODate), lines);
        if (!written.ok)
            return written;
    }
    const WriteResult removed = removeOrphans(findings);
    if (removed.ok)
        m_statistics.markLeftoversChecked();
    return removed;
}
