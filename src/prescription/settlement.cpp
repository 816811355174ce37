#include "prescription/settlement.h"

#include "data/statisticsrepository.h"
#include "prescription/prescriptionpricer.h"
#include "prescription/prescriptionsheet.h"

namespace {
const QString SettledMark = QStringLiteral("-已结算");
}

Settlement::Settlement(PrescriptionSheet &sheet, PrescriptionPricer &pricer, PrescriptionSaver &saver, StatisticsRepository &statistics)
    : m_sheet(sheet)
    , m_pricer(pricer)
    , m_saver(saver)
    , m_statistics(statistics)
{
}

QStringList Settlement::Result::messages() const
{
    QStringList texts;
    if (!save.saved())
        texts.append(save.write.fullText());
    if (!statistics.ok)
        texts.append(QStringLiteral("处方已保存，但用药统计没有写入：%1\n请稍后再点“划价结算”补上。").arg(statistics.fullText()));
    return texts;
}

Settlement::Result Settlement::settle()
{
    {
        PrescriptionSheet::FrozenTotals frozen(m_sheet);
        m_sheet.layOutHerbs();
        const QList<DrugLine> priced = m_pricer.price(m_sheet.kind(), m_sheet.body(), m_sheet.doses());
        for (int row = 0; row < PrescriptionSheet::LineCount; ++row)
            m_sheet.setLine(row, priced.value(row));
    }
    m_sheet.recomputeTotals();
    m_sheet.setSettledMark(SettledMark);

    Result result;
    result.save = m_saver.save(m_sheet);
    if (!result.save.saved())
        return result;
    const QString date = m_sheet.field(PrescriptionSheet::Date);
    if (m_sheet.field(PrescriptionSheet::Name).trimmed().isEmpty() || date.isEmpty())
        return result;
    QList<StatisticsLine> lines;
    for (const DrugLine &line : m_sheet.lines()) {
        if (!line.name.trimmed().isEmpty())
            lines.append({line.name, line.quantity, line.unit, line.unitPrice, line.amount, line.drawer, line.category});
    }
    result.statistics = m_statistics.replace(m_sheet.id(), date, lines);
    result.statisticsWritten = result.statistics.ok;
    return result;
}

Settlement::Result Settlement::cancel()
{
    Result result;
    result.statistics = m_statistics.remove(m_sheet.id());
    m_sheet.clearLines();
    m_sheet.setSettledMark(QString());
    result.save = m_saver.save(m_sheet);
    return result;
}
