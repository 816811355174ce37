#include "prescription/settlement.h"

#include "data/statisticsrepository.h"
#include "prescription/bodytext.h"
#include "prescription/prescriptionpricer.h"
#include "prescription/prescriptionsheet.h"

namespace {

const QString SettledMark = QStringLiteral("-已结算");

// The database's reason without the action its message begins with ("保存失败：", "读取失败：").
QString reasonOf(const QString &message)
{
    for (const QString &action : {QStringLiteral("保存失败："), QStringLiteral("读取失败：")}) {
        if (message.startsWith(action))
            return message.mid(action.size());
    }
    return message;
}

PrescriptionSaver::Result refused(const QString &what, const WriteResult &why)
{
    return {PrescriptionSaver::Outcome::Refused, WriteResult::failure(what + reasonOf(why.message), why.detail)};
}

} // namespace

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
    return texts;
}

Settlement::Shown Settlement::shown() const
{
    return {m_sheet.lines(),
            m_sheet.settledMark(),
            m_sheet.field(PrescriptionSheet::DrugFee),
            m_sheet.field(PrescriptionSheet::OtherFee),
            m_sheet.field(PrescriptionSheet::Total),
            m_sheet.grandTotal()};
}

void Settlement::show(const Shown &before)
{
    PrescriptionSheet::LoadingScope loading(m_sheet);
    PrescriptionSheet::FrozenTotals frozen(m_sheet);
    for (int row = 0; row < PrescriptionSheet::LineCount; ++row)
        m_sheet.setLine(row, before.lines.value(row));
    m_sheet.setField(PrescriptionSheet::DrugFee, before.drugFee);
    m_sheet.setField(PrescriptionSheet::OtherFee, before.otherFee);
    m_sheet.setField(PrescriptionSheet::Total, before.total);
    m_sheet.setGrandTotal(before.grandTotal);
    m_sheet.setSettledMark(before.settledMark);
}

Settlement::Result Settlement::settle()
{
    Result result;
    // Every look-up first: a catalogue that cannot be read stops the settlement before the sheet
    // or the files change.
    const QString body = m_sheet.kind() == PrescriptionKind::Chinese ? BodyText::reflowHerbs(m_sheet.body()).text : m_sheet.body();
    const PrescriptionPricer::Priced priced = m_pricer.price(m_sheet.kind(), body, m_sheet.doses());
    if (priced.failed()) {
        result.save = refused(QStringLiteral("划价结算未完成：药品目录读取失败，处方没有改变。\n"), WriteResult::failure(priced.readError));
        return result;
    }

    const Shown before = shown();
    {
        PrescriptionSheet::FrozenTotals frozen(m_sheet);
        m_sheet.layOutHerbs();
        for (int row = 0; row < PrescriptionSheet::LineCount; ++row)
            m_sheet.setLine(row, priced.lines.value(row));
    }
    m_sheet.recomputeTotals();
    m_sheet.setSettledMark(SettledMark);

    bool statistics = false;
    result.save = m_saver.save(m_sheet, [&](const QString &storedId) {
        // The date as the save stores it (a typed 2024-3-1 becomes 2024-03-01).
        const QString date = m_sheet.field(PrescriptionSheet::Date);
        if (m_sheet.field(PrescriptionSheet::Name).trimmed().isEmpty() || date.isEmpty())
            return WriteResult::success();
        QList<StatisticsLine> lines;
        for (const DrugLine &line : m_sheet.lines()) {
            if (!line.name.trimmed().isEmpty())
                lines.append({line.name, line.quantity, line.unit, line.unitPrice, line.amount, line.drawer, line.category});
        }
        statistics = true;
        return m_statistics.replace(storedId, date, lines);
    });
    if (result.save.outcome == PrescriptionSaver::Outcome::Refused) {
        show(before);
        result.save = refused(QStringLiteral("划价结算未完成，处方没有结算，档案和用药统计都没有改变：\n"), result.save.write);
        return result;
    }
    result.statisticsWritten = result.save.saved() && statistics;
    return result;
}

Settlement::Result Settlement::cancel()
{
    const Shown before = shown();
    m_sheet.clearLines();
    m_sheet.setSettledMark(QString());
    Result result;
    result.save = m_saver.save(m_sheet, [this](const QString &storedId) { return m_statistics.remove(storedId); });
    // A refused write keeps the settled sheet on screen: an unsettled sheet over a settled archive
    // would be saved so later. Without a name nothing was stored, so the sheet simply shows unsettled.
    if (result.save.outcome == PrescriptionSaver::Outcome::Refused) {
        show(before);
        result.save = refused(QStringLiteral("撤消结算未完成，处方仍是原来的状态，档案和用药统计都没有改变：\n"), result.save.write);
    }
    return result;
}
