#pragma once

#include <QString>
#include <QStringList>

#include "data/cataloguerepository.h"

// The rules of the drug maintenance window's editor strip, apart from its widgets: what typing
// changes in a box, how a search result loads into the boxes, and how the boxes are checked and
// stored as a catalogue entry.
class CatalogueEditorRules
{
public:
    // The texts of the editor's boxes, as the user sees them.
    struct Fields
    {
        QString name;
        QString usualQuantity;
        QString unit;
        QString price;
        QString drawer;
        QString usage;
        QString initials;
        QString category; // the editor's subcategory drop-down: "西成药·抗生素" … or "中药" …

        bool operator==(const Fields &other) const = default;
    };

    struct NameAndQuantity
    {
        QString name;
        QString usualQuantity;
    };

    // Round brackets, full-width or not, become square brackets as they are typed. The text
    // keeps its length, so the caret can stay where it was.
    static QString typedName(const QString &text);
    // "*" becomes "×" and "。" becomes "." in the 常用量 and price boxes; the length stays.
    static QString typedAmount(const QString &text);
    // The initials proposed for a name.
    static QString proposedInitials(const QString &name);
    // The first unit of the list, in list order, that occurs in the 常用量 text; empty for none.
    static QString unitIn(const QString &usualQuantity, const QStringList &units);

    // The name as the grid shows it: braces back to brackets, one space, then 常用量.
    static QString displayName(const CatalogueRepository::Entry &entry);
    // A display name split back at its first space; a usage term is never split.
    static NameAndQuantity splitDisplayName(const QString &displayName, bool usageCategory);
    // What selecting a result puts into the boxes.
    static Fields fromEntry(const CatalogueRepository::Entry &entry, bool usageCategory);

    // Why the boxes cannot be stored as they are, or empty: a missing name, a space in a name
    // outside the usage terms, an "@" or "$" that the priced sheet cannot carry, a price that is
    // not a non-negative number.
    static QString refusal(const Fields &fields);
    // The same checks for a stored name, 常用量, unit and drawer (import rows use them too).
    static QString refusal(const QString &name, const QString &usualQuantity, const QString &unit,
                           const QString &drawer, const QString &category);

    // The entry the boxes store under a key.
    static CatalogueRepository::Entry toEntry(const Fields &fields, const QString &key);
    // Trimmed, brackets as braces, line breaks removed.
    static QString storedName(const QString &name);
    // Empty for an empty box, else the box's number with three decimals: "１２.５" and "1,280"
    // are read as the user meant them (a box refusal() refuses gives the empty text).
    static QString storedPrice(const QString &priceBox);
    // The trimmed name as typed + the trimmed initials + their keypad digits.
    static QString searchKey(const QString &name, const QString &initials);

    static QString missingNameMessage() { return QStringLiteral("请输入药物名称！"); }
};
