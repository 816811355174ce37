#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The two kinds of prescription: Western drugs (stored as "西") and Chinese herbal medicine ("中").
enum class PrescriptionKind { Western, Chinese };

// The kind as the archive stores it, and back; anything but "中" reads as Western.
QString storedKind(PrescriptionKind kind);
PrescriptionKind kindOfStored(const QString &stored);

// The seventeen category buttons of the prescription window, in button order. Their captions are
// also the names the catalogue uses: the first twelve are the Western subcategories ("西成药·"
// followed by the caption), "中药", "收费项目" and "用法" are categories of their own, and the last
// two name template kinds. The drug maintenance window reads the same list.
class DrugCategories
{
public:
    enum Index {
        Antibiotics = 0,
        ChargeItems = 12,
        Usages = 13,
        Herbs = 14,
        Formulas = 15,
        PersonalSets = 16,
        Count = 17,
    };
    // What pressing a button does to the kind of the prescription.
    enum class KindEffect { Western, Chinese, Unchanged };

    static const QStringList &captions();
    static QString caption(int index) { return captions().value(index); }
    // The twelve Western subcategories, "抗生素" … "其他".
    static QStringList westernSubcategories();
    static KindEffect kindEffect(int index);
    // Whether the button lists templates (个人模板) rather than catalogue entries.
    static bool listsTemplates(int index) { return index >= Formulas; }

    // The catalogue category values.
    static QString westernPrefix() { return QStringLiteral("西成药·"); }
    static QString westernCategory(const QString &subcategory) { return westernPrefix() + subcategory; }
    static QString herbCategory() { return caption(Herbs); }
    static QString chargeCategory() { return caption(ChargeItems); }
    static QString usageCategory() { return caption(Usages); }
};
