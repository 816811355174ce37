#pragma once

#include <QString>
#include <QStringList>

// The allergens a free-text allergy history (header field 13) names: "青霉素过敏，头孢类皮试阳性"
// names 青霉素 and 头孢. It is read item by item: an item that denies or rules out an allergy ("无",
// "未发现", "否认药物过敏史", "青霉素皮试阴性") names nothing, and clears only itself, so
// "无食物过敏、青霉素过敏" still names 青霉素.
class AllergyHistory
{
public:
    static AllergyHistory parse(const QString &text);

    // Each allergen once, in the order written, without words such as 过敏, 类, 药物.
    QStringList allergens() const { return m_allergens; }

private:
    QStringList m_allergens;
};
