#include "maintenance/catalogueeditorrules.h"

#include "data/cataloguename.h"
#include "maintenance/catalogueoptions.h"
#include "text/amount.h"
#include "text/pinyininitials.h"
#include "text/typednumber.h"

QString CatalogueEditorRules::typedName(const QString &text)
{
    QString name = text;
    for (QChar &c : name) {
        if (c == u'（' || c == u'(')
            c = u'[';
        else if (c == u'）' || c == u')')
            c = u']';
    }
    return name;
}

QString CatalogueEditorRules::typedAmount(const QString &text)
{
    QString amount = text;
    for (QChar &c : amount) {
        if (c == u'*')
            c = u'×';
        else if (c == u'。')
            c = u'.';
    }
    return amount;
}

QString CatalogueEditorRules::proposedInitials(const QString &name)
{
    return pinyinInitials(name.trimmed());
}

QString CatalogueEditorRules::unitIn(const QString &usualQuantity, const QStringList &units)
{
    for (const QString &unit : units) {
        if (usualQuantity.contains(unit))
            return unit;
    }
    return QString();
}

QString CatalogueEditorRules::displayName(const CatalogueRepository::Entry &entry)
{
    return CatalogueName::shown(entry.name) + QLatin1Char(' ') + entry.usualQuantity;
}

CatalogueEditorRules::NameAndQuantity CatalogueEditorRules::splitDisplayName(const QString &displayName, bool usageCategory)
{
    const qsizetype space = displayName.indexOf(QLatin1Char(' '));
    if (usageCategory || space < 0)
        return {displayName, QString()};
    return {displayName.left(space), displayName.mid(space + 1).trimmed()};
}

CatalogueEditorRules::Fields CatalogueEditorRules::fromEntry(const CatalogueRepository::Entry &entry, bool usageCategory)
{
    const NameAndQuantity shown = splitDisplayName(displayName(entry), usageCategory);
    return {shown.name, shown.usualQuantity, entry.unit, entry.price, entry.drawer, entry.usage, entry.initials, entry.category};
}

QString CatalogueEditorRules::refusal(const QString &name, const QString &usualQuantity, const QString &unit,
                                      const QString &drawer, const QString &category)
{
    if (name.trimmed().isEmpty())
        return missingNameMessage();
    if (name.contains(QLatin1Char(' ')) && !CatalogueOptions::allowsSpacesInName(category))
        return QStringLiteral("药物名称中不能有空格（只有“用法”类的名称可以有空格）：表格里名称和常用量以空格分开，"
                              "名称中的空格会把名称拆开。请删去空格或改用其他符号。");
    const struct {
        QString caption;
        const QString &text;
    } fields[] = {{QStringLiteral("名称"), name}, {QStringLiteral("常用量"), usualQuantity},
                  {QStringLiteral("单位"), unit}, {QStringLiteral("斗位"), drawer}};
    for (const auto &field : fields) {
        // The priced sheet of a prescription separates its items and fields with these two.
        if (field.text.contains(QLatin1Char('@')) || field.text.contains(QLatin1Char('$')))
            return QStringLiteral("“%1”中不能有“@”或“$”符号（处方的划价单用它们分隔各项），请删去。").arg(field.caption);
    }
    return QString();
}

QString CatalogueEditorRules::refusal(const Fields &fields)
{
    const QString rule = refusal(storedName(fields.name), fields.usualQuantity.trimmed(), fields.unit, fields.drawer, fields.category);
    if (!rule.isEmpty() || fields.price.trimmed().isEmpty())
        return rule;
    QString why;
    TypedNumber::nonNegative(fields.price, QStringLiteral("单价"), &why);
    return why;
}

CatalogueRepository::Entry CatalogueEditorRules::toEntry(const Fields &fields, const QString &key)
{
    CatalogueRepository::Entry entry;
    entry.key = key;
    entry.name = storedName(fields.name);
    entry.usualQuantity = fields.usualQuantity.trimmed();
    entry.unit = fields.unit;
    entry.price = storedPrice(fields.price);
    entry.initials = fields.initials;
    entry.usage = fields.usage;
    entry.category = fields.category;
    entry.drawer = fields.drawer;
    entry.searchKey = searchKey(fields.name, fields.initials);
    return entry;
}

QString CatalogueEditorRules::storedName(const QString &name)
{
    QString stored = name.trimmed();
    stored.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return CatalogueName::stored(stored);
}

QString CatalogueEditorRules::storedPrice(const QString &priceBox)
{
    const std::optional<Amount> price = TypedNumber::read(priceBox);
    // refusal() keeps any other text out before a price is stored.
    return price ? price->toFixed(3) : QString();
}

QString CatalogueEditorRules::searchKey(const QString &name, const QString &initials)
{
    return ::searchKey(name.trimmed(), initials.trimmed());
}
