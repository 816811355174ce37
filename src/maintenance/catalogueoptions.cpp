#include "maintenance/catalogueoptions.h"

#include "prescription/drugcategories.h"

namespace {

const QString All = QStringLiteral("全部");

} // namespace

QString CatalogueOptions::caption(Option option)
{
    switch (option) {
    case Western:
        // The category values are "西成药·" + subcategory; the option is the word before the dot.
        return DrugCategories::westernPrefix().chopped(1);
    case Herbs:
        return DrugCategories::herbCategory();
    case ChargeItems:
        return DrugCategories::chargeCategory();
    case Usages:
        return DrugCategories::usageCategory();
    }
    return QString();
}

QStringList CatalogueOptions::units(Option option)
{
    switch (option) {
    case Western:
        return {QStringLiteral("片"), QStringLiteral("粒"), QStringLiteral("支"), QStringLiteral("包"), QStringLiteral("袋"),
                QStringLiteral("盒"), QStringLiteral("瓶"), QStringLiteral("个"), QStringLiteral("枚")};
    case Herbs:
        return {QStringLiteral("g"), QStringLiteral("枚"), QStringLiteral("条"), QStringLiteral("个")};
    case ChargeItems:
        return {QStringLiteral("次"), QStringLiteral("枚"), QStringLiteral("条"), QStringLiteral("个")};
    case Usages:
        break;
    }
    return {};
}

CatalogueOptions::EditableFields CatalogueOptions::editable(Option option)
{
    EditableFields fields;
    switch (option) {
    case Western:
        fields.usualQuantity = fields.price = fields.usage = fields.unit = fields.subcategory = true;
        break;
    case Herbs:
        fields.usualQuantity = fields.price = fields.drawer = fields.unit = true;
        break;
    case ChargeItems:
        fields.usualQuantity = fields.price = fields.unit = true;
        break;
    case Usages:
        break;
    }
    return fields;
}

QStringList CatalogueOptions::westernCategories()
{
    QStringList items;
    for (const QString &subcategory : DrugCategories::westernSubcategories())
        items.append(DrugCategories::westernCategory(subcategory));
    return items;
}

QString CatalogueOptions::allWestern()
{
    return DrugCategories::westernCategory(All);
}

QStringList CatalogueOptions::filterItems()
{
    return QStringList{allWestern()} + westernCategories();
}

QString CatalogueOptions::prefixOf(const QString &filterItem)
{
    QString prefix = filterItem;
    return prefix.remove(All);
}

QStringList CatalogueOptions::categories()
{
    return westernCategories() + QStringList{caption(Herbs), caption(ChargeItems), caption(Usages)};
}

bool CatalogueOptions::isCategory(const QString &category)
{
    return categories().contains(category);
}

bool CatalogueOptions::allowsSpacesInName(const QString &category)
{
    return category == caption(Usages);
}

bool CatalogueOptions::isHerbUnit(const QString &unit)
{
    return units(Herbs).join(QString()).contains(unit);
}

QString CatalogueOptions::herbUnitMessage()
{
    return QStringLiteral("中药的单位仅限于“g”，“枚”，“条”，“个”4种！");
}
