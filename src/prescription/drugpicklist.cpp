#include "prescription/drugpicklist.h"

#include "data/cataloguename.h"
#include "data/picklistrepository.h"
#include "data/templaterepository.h"
#include "prescription/drugcategories.h"

DrugPickList::DrugPickList(PickListRepository &catalogue, TemplateRepository &templates)
    : m_catalogue(catalogue)
    , m_templates(templates)
{
}

QList<DrugPickList::Item> DrugPickList::fill(int category, const QString &typed)
{
    QList<Item> items;
    if (DrugCategories::listsTemplates(category)) {
        for (const TemplateRepository::Template &entry : m_templates.find(DrugCategories::caption(category), typed))
            items.append({entry.name, entry.name, entry.content});
        return items;
    }
    QList<PickListRepository::Entry> entries;
    if (category == DrugCategories::Herbs)
        entries = m_catalogue.findInCategory(DrugCategories::herbCategory(), typed);
    else if (!typed.trimmed().isEmpty())
        // A typed search in any other category searches every category but the herbs.
        entries = m_catalogue.findOutsideCategory(DrugCategories::herbCategory(), typed);
    else
        entries = m_catalogue.categoryEndingWith(DrugCategories::caption(category));
    for (const PickListRepository::Entry &entry : std::as_const(entries)) {
        QString visible = CatalogueName::shown(entry.name);
        if (!entry.pack.trimmed().isEmpty()) {
            visible += QLatin1Char(' ') + entry.pack;
            if (entry.usage.trimmed().isEmpty() && category == DrugCategories::Herbs)
                visible += entry.unit;
        }
        const QString shadow = entry.usage.trimmed().isEmpty() ? visible : visible + QLatin1Char('\\') + entry.usage;
        items.append({visible, shadow, QString()});
    }
    return items;
}
