#include "maintenance/catalogueimportrules.h"

#include "data/tables.h"
#include "maintenance/catalogueeditorrules.h"
#include "maintenance/catalogueoptions.h"
#include "text/amount.h"
#include "text/pinyininitials.h"
#include "text/typednumber.h"

namespace {

// The stored column of each sheet column, in sheet order.
const QStringList &sheetColumns()
{
    static const QStringList columns = {QStringLiteral("名称"), QStringLiteral("常用量"), QStringLiteral("单位"),
                                        QStringLiteral("用法"), QStringLiteral("单价"),   QStringLiteral("斗位"),
                                        QStringLiteral("拼音"), QStringLiteral("分类")};
    return columns;
}

bool isBlankRow(const QStringList &cells)
{
    for (const QString &cell : cells) {
        if (!cell.trimmed().isEmpty())
            return false;
    }
    return true;
}

QString tooLong(const CatalogueRepository::Entry &entry, const QStringList &headings)
{
    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("名称"), entry.name},     {QStringLiteral("常用量"), entry.usualQuantity},
        {QStringLiteral("单位"), entry.unit},     {QStringLiteral("用法"), entry.usage},
        {QStringLiteral("单价"), entry.price},    {QStringLiteral("斗位"), entry.drawer},
        {QStringLiteral("拼音"), entry.initials}, {QStringLiteral("分类"), entry.category},
        {QStringLiteral("查询"), entry.searchKey}};
    for (const auto &[column, value] : values) {
        const int width = Tables::catalogue().width(column);
        // The database counts characters, not UTF-16 units.
        if (value.toUcs4().size() <= width)
            continue;
        const qsizetype sheetColumn = sheetColumns().indexOf(column);
        const QString field = sheetColumn >= 0 ? headings.at(sheetColumn) : CatalogueRepository::fieldCaption(column);
        return QStringLiteral("“%1”的内容超过了%2个字符。").arg(field).arg(width);
    }
    return QString();
}

} // namespace

QStringList CatalogueImportRules::headings()
{
    return {QStringLiteral("名称"), QStringLiteral("规格\\常用量"), QStringLiteral("单位"), QStringLiteral("用法用量"),
            QStringLiteral("单价"), QStringLiteral("斗位"),         QStringLiteral("拼音"), QStringLiteral("分类")};
}

QStringList CatalogueImportRules::cellsOf(const CatalogueRepository::Entry &entry)
{
    return {entry.name, entry.usualQuantity, entry.unit, entry.usage, entry.price, entry.drawer, entry.initials, entry.category};
}

std::optional<QString> CatalogueImportRules::price(const QString &cell, QString *refusal)
{
    if (cell.trimmed().isEmpty())
        return QString();
    // The whole cell must be the number: "12元/盒" would otherwise store a wrong price.
    const std::optional<Amount> value = TypedNumber::nonNegative(cell, headings().at(PriceColumn), refusal);
    if (!value)
        return std::nullopt;
    return value->toFixed(3);
}

std::optional<CatalogueRepository::Entry> CatalogueImportRules::entryOf(const QStringList &cells, QString *refusal)
{
    const auto fail = [refusal](const QString &why) {
        if (refusal)
            *refusal = why;
        return std::nullopt;
    };
    CatalogueRepository::Entry entry;
    entry.name = cells.value(0);
    entry.usualQuantity = cells.value(1);
    entry.unit = cells.value(2);
    entry.usage = cells.value(3);
    entry.drawer = cells.value(5);
    entry.category = cells.value(7);
    const QString computed = pinyinInitials(entry.name);
    entry.initials = cells.value(6).trimmed().isEmpty() ? computed : cells.value(6);
    // The stored search key reads the name's own initials even when the sheet gives others.
    entry.searchKey = searchKey(entry.name, computed);

    const QString rule = CatalogueEditorRules::refusal(entry.name, entry.usualQuantity, entry.unit, entry.drawer, entry.category);
    if (!rule.isEmpty())
        return fail(rule == CatalogueEditorRules::missingNameMessage() ? QStringLiteral("没有药物名称。") : rule);
    QString priceRefusal;
    const std::optional<QString> price = CatalogueImportRules::price(cells.value(PriceColumn), &priceRefusal);
    if (!price)
        return fail(priceRefusal);
    entry.price = *price;
    if (!CatalogueOptions::isCategory(entry.category)) {
        return fail(QStringLiteral("“分类”应是西成药的一个小类（如“%1”，中间是圆点“·”）、“%2”、“%3”或“%4”，"
                                   "现在是“%5”；别的分类导入后在任何类别下都看不到。")
                        .arg(CatalogueOptions::westernCategories().value(0), CatalogueOptions::caption(CatalogueOptions::Herbs),
                             CatalogueOptions::caption(CatalogueOptions::ChargeItems),
                             CatalogueOptions::caption(CatalogueOptions::Usages), entry.category));
    }
    const QString width = tooLong(entry, headings());
    if (!width.isEmpty())
        return fail(width);
    return entry;
}

CatalogueImportRules::Outcome CatalogueImportRules::entries(const QList<QStringList> &rows)
{
    Outcome outcome;
    for (int i = 1; i < rows.size(); ++i) {
        const QStringList &cells = rows.at(i);
        if (isBlankRow(cells.mid(0, ColumnCount)))
            continue;
        QString why;
        const std::optional<CatalogueRepository::Entry> entry = entryOf(cells, &why);
        if (!entry) {
            outcome.entries.clear();
            outcome.sheetRows.clear();
            outcome.refusal = QStringLiteral("第%1行：%2").arg(i + 1).arg(why);
            return outcome;
        }
        outcome.entries.append(*entry);
        outcome.sheetRows.append(i + 1);
    }
    return outcome;
}
