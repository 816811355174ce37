#include "data/cataloguelookup.h"

#include <QSqlQuery>

#include "data/database.h"

CatalogueLookup::CatalogueLookup(Database &db)
    : m_db(db)
{
}

CatalogueLookup::Found CatalogueLookup::find(const QString &name, Scope scope)
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
    // A settlement looks up every line: prepared once per connection on the server.
    const std::optional<QVariantList> row = m_db.firstRow(select + condition + QStringLiteral(" order by rowid limit 1"), {name});
    if (!row) {
        const QString error = m_db.readError();
        return {std::nullopt, error.isEmpty() ? QStringLiteral("读取失败：数据库拒绝了这次操作。") : error, m_db.readWasBusy()};
    }
    if (row->size() < 5)
        return {};
    return {CatalogueItem{row->at(0).toString(), row->at(1).toString(), row->at(2).toString(), row->at(3).toString(),
                          row->at(4).toString()},
            QString(), false};
}
