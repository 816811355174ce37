#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The four categories the drug maintenance window offers as options: what each lets the user
// edit, the units it proposes, the category values it stores and the prefix its lists search.
class CatalogueOptions
{
public:
    enum Option { Western, Herbs, ChargeItems, Usages };

    struct EditableFields
    {
        bool usualQuantity = false;
        bool price = false;
        bool drawer = false;
        bool usage = false;
        bool unit = false;
        bool subcategory = false;
    };

    static QList<Option> all() { return {Western, Herbs, ChargeItems, Usages}; }
    // "西成药", "中药", "收费项目", "用法": the option's caption, also its first category prefix.
    static QString caption(Option option);
    // The units the unit drop-down offers, the first one preset; none for usage terms.
    static QStringList units(Option option);
    static EditableFields editable(Option option);

    // "西成药·抗生素" … "西成药·其他": the editor's subcategory choices.
    static QStringList westernCategories();
    // "西成药·全部" followed by the twelve subcategories: the list filter.
    static QString allWestern();
    static QStringList filterItems();
    // The prefix every query of the window uses for a filter item: the item without "全部".
    static QString prefixOf(const QString &filterItem);

    // Whether a 分类 value is one the program lists anywhere.
    static bool isCategory(const QString &category);
    static QStringList categories();
    // Only the usage terms ("用法：静脉滴注 每日1次") may have spaces in their names.
    static bool allowsSpacesInName(const QString &category);

    // A herb is dispensed by "g", "枚", "条" or "个"; a unit text that is part of "g枚条个"
    // passes, so the empty text does.
    static bool isHerbUnit(const QString &unit);
    static QString herbUnitMessage();
};
