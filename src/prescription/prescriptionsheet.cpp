#include "prescription/prescriptionsheet.h"

#include <algorithm>

#include "prescription/bodytext.h"
#include "prescription/infusioncardlines.h"
#include "prescription/pricedsheettext.h"
#include "text/amount.h"

namespace {

// A total as shown: two decimals, empty when zero.
QString totalText(Amount value)
{
    return value.rounded(2).isZero() ? QString() : value.toFixed(2);
}

} // namespace

PrescriptionSheet::LoadingScope::LoadingScope(PrescriptionSheet &sheet)
    : m_sheet(sheet)
{
    ++m_sheet.m_loading;
}

PrescriptionSheet::LoadingScope::~LoadingScope()
{
    --m_sheet.m_loading;
}

PrescriptionSheet::FrozenTotals::FrozenTotals(PrescriptionSheet &sheet)
    : m_sheet(sheet)
{
    ++m_sheet.m_frozen;
}

PrescriptionSheet::FrozenTotals::~FrozenTotals()
{
    --m_sheet.m_frozen;
}

PrescriptionSheet::PrescriptionSheet(QObject *parent)
    : QObject(parent)
    , m_fields(FieldCount)
    , m_lines(LineCount)
{
}

void PrescriptionSheet::setField(int field, const QString &text)
{
    if (field < 0 || field >= FieldCount)
        return;
    QString value = text;
    if (field == Sex) {
        if (value == QLatin1String("1"))
            value = QStringLiteral("男");
        else if (value == QLatin1String("2"))
            value = QStringLiteral("女");
    }
    if (m_fields.at(field) == value)
        return;
    m_fields[field] = value;
    emit fieldChanged(field);
    if ((field == DrugFee || field == OtherFee) && !isLoading())
        updateFeeTotal();
}

void PrescriptionSheet::updateFeeTotal()
{
    setField(Total, totalText(Amount::leadingNumber(m_fields.at(OtherFee)) + Amount::leadingNumber(m_fields.at(DrugFee))));
}

void PrescriptionSheet::setKind(PrescriptionKind kind, SheetGeometry::BodyPlacement placement)
{
    if (kind == PrescriptionKind::Western)
        placement = SheetGeometry::BodyPlacement::Western;
    if (m_kind == kind && m_placement == placement)
        return;
    m_kind = kind;
    m_placement = placement;
    emit kindChanged();
}

void PrescriptionSheet::setDoses(const QString &doses)
{
    if (m_doses == doses)
        return;
    m_doses = doses;
    emit dosesChanged();
}

void PrescriptionSheet::setBody(const QString &body)
{
    if (m_body == body)
        return;
    const QString cardBefore = InfusionCardLines::fromBody(m_body);
    m_body = body;
    emit bodyChanged();
    if (isLoading())
        return;
    // A card the nurse typed is kept until the body's infusion lines change.
    const QString card = InfusionCardLines::fromBody(m_body);
    if (card != cardBefore)
        setCardText(card);
}

int PrescriptionSheet::layOutHerbs()
{
    if (m_kind != PrescriptionKind::Chinese)
        return -1;
    const BodyText::HerbLayout layout = BodyText::reflowHerbs(m_body);
    setBody(layout.text);
    return layout.caret;
}

void PrescriptionSheet::setCardText(const QString &text)
{
    if (m_cardText == text)
        return;
    m_cardText = text;
    emit cardTextChanged();
}

void PrescriptionSheet::setId(const QString &id)
{
    if (m_id == id)
        return;
    m_id = id;
    emit idChanged();
}

void PrescriptionSheet::setSettledMark(const QString &mark)
{
    if (m_settledMark == mark)
        return;
    m_settledMark = mark;
    emit settledMarkChanged();
}

void PrescriptionSheet::setMedicalRecord(const QString &text)
{
    if (m_medicalRecord == text)
        return;
    m_medicalRecord = text;
    emit medicalRecordChanged();
}

void PrescriptionSheet::setCell(int row, int cell, const QString &text)
{
    if (row < 0 || row >= LineCount || m_lines[row].cell(cell) == text)
        return;
    m_lines[row].setCell(cell, text);
    emit linesChanged();
    if (cell == DrugLine::Quantity || cell == DrugLine::UnitPrice)
        recomputeTotals();
}

void PrescriptionSheet::setLine(int row, const DrugLine &line)
{
    if (row < 0 || row >= LineCount)
        return;
    const bool priceChanged = m_lines[row].quantity != line.quantity || m_lines[row].unitPrice != line.unitPrice;
    m_lines[row] = line;
    emit linesChanged();
    if (priceChanged)
        recomputeTotals();
}

void PrescriptionSheet::clearLines()
{
    for (DrugLine &line : m_lines) {
        const QString category = line.category;
        line = DrugLine();
        line.category = category;
    }
    emit linesChanged();
    recomputeTotals();
}

void PrescriptionSheet::setGrandTotal(const QString &total)
{
    if (m_grandTotal == total)
        return;
    m_grandTotal = total;
    emit grandTotalChanged();
}

void PrescriptionSheet::recomputeTotals()
{
    if (totalsFrozen())
        return;
    Amount drugs;
    Amount others;
    for (DrugLine &line : m_lines) {
        const Amount amount = (Amount::leadingNumber(line.quantity) * Amount::leadingNumber(line.unitPrice)).rounded(3);
        line.amount = amount.isZero() ? QString() : amount.toFixed(3);
        if (line.category == DrugCategories::chargeCategory())
            others += amount;
        else
            drugs += amount;
    }
    emit linesChanged();
    setGrandTotal(totalText(others + drugs));
    setField(DrugFee, totalText(drugs));
    setField(OtherFee, totalText(others));
    setField(Total, m_grandTotal);
}

QString PrescriptionSheet::pricedSheetText() const
{
    return PricedSheetText::encode(m_lines);
}

void PrescriptionSheet::restorePricedSheet(const QString &text)
{
    FrozenTotals frozen(*this);
    const QList<DrugLine> restored = PricedSheetText::decode(text, LineCount);
    for (int row = 0; row < LineCount; ++row) {
        const QString category = m_lines[row].category;
        m_lines[row] = restored.value(row);
        m_lines[row].category = category;
    }
    emit linesChanged();
}

void PrescriptionSheet::sortByDrawer()
{
    FrozenTotals frozen(*this);
    struct Keyed
    {
        QString key;
        DrugLine line;
    };
    QList<Keyed> filled;
    for (const DrugLine &line : std::as_const(m_lines)) {
        if (line.isEmpty())
            continue;
        QString key = line.drawer + QLatin1Char('$');
        for (int cell = DrugLine::Name; cell <= DrugLine::Drawer; ++cell)
            key += line.cell(cell) + QLatin1Char('$');
        filled.append({key, line});
    }
    std::stable_sort(filled.begin(), filled.end(), [](const Keyed &a, const Keyed &b) {
        return QString::compare(a.key, b.key, Qt::CaseInsensitive) < 0;
    });
    for (int row = 0; row < LineCount; ++row)
        m_lines[row] = row < filled.size() ? filled.at(row).line : DrugLine();
    emit linesChanged();
}
