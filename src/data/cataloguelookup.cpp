#include "data/cataloguelookup.h"

#include "data/database.h"

#include <QSqlQuery>

CatalogueLookup::CatalogueLookup(Database &db)
    : m_db(db)
{
}

std::optional<CatalogueItem> CatalogueLookup::find(const QString &name, Scope scope)
{
    static const QString select = QStringLiteral("select \"名称\", \"单位\", \"单价\", \"斗位\", \"分类\" from \"商品\" where \"名称\" = ? and ");
    QString condition;
    switch (scope) {
    case Scope::Herb:
        condition = QStringLiteral("\"分类\" = '中药'");
        break;
    case Scope::ChargeItem:
        condition = QStringLiteral("\"分类\" = '收费项目'");
        break;
    case Scope::WesternLine:
        condition = QStringLiteral("\"分类\" not in ('用法', '中药')");
        break;
    }
    QSqlQuery query = m_db.select(select + condition + QStringLiteral(" order by rowid limit 1"), {name});
    if (!query.next())
        return std::nullopt;
    return CatalogueItem{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                         query.value(3).toString(), query.value(4).toString()};
}
