#pragma once

#include <QList>
#include <QString>

class PickListRepository;
class TemplateRepository;

// What the result list of the prescription window shows for a category button and a search text:
// catalogue entries (by name, with their pack and unit) or templates (by name). Each item also
// carries what a pick inserts.
class DrugPickList
{
public:
    struct Item
    {
        // The text the list shows; brackets shown as "[" "]".
        QString visible;
        // The same text, followed by "\" and the usage when the entry has one.
        QString shadow;
        // For a template: its content.
        QString content;
    };

    DrugPickList(PickListRepository &catalogue, TemplateRepository &templates);

    QList<Item> fill(int category, const QString &typed);

private:
    PickListRepository &m_catalogue;
    TemplateRepository &m_templates;
};
