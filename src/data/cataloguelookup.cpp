#include "data/cataloguelookup.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/sqlcolumns.h"
#include "data/tables.h"

CatalogueLookup::CatalogueLookup(Database &db)
    : m_db(db)
{
}

CatalogueLookup::Found CatalogueLookup::find(const QString &name, Scope scope)
{
    static const SqlColumns columns(Tables::catalogue(), {QStringLiteral("名称"), QStringLiteral("单位"), QStringLiteral("单价"),
                                                          QStringLiteral("斗位"), QStringLiteral("分类")});
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
    const std::optional<QVariantList> row
        = m_db.firstRow(columns.select(QStringLiteral("where \"名称\" = ? and %1 order by rowid limit 1").arg(condition)), {name});
    if (!row) {
        const QString error = m_db.readError();
        return {std::nullopt, error.isEmpty() ? QStringLiteral("读取失败：数据库拒绝了这次操作。") : error, m_db.readWasBusy()};
    }
    if (row->size() < columns.names().size())
        return {};
    const SqlColumns::Values found = columns.of(*row);
    return {CatalogueItem{found.text(QStringLiteral("名称")), found.text(QStringLiteral("单位")), found.text(QStringLiteral("单价")),
                          found.text(QStringLiteral("斗位")), found.text(QStringLiteral("分类"))},
            QString(), false};
}

CatalogueLookup::Found CatalogueLookup::findPriced(const QString &name, bool herbal)
{
    const QList<Scope> scopes = herbal ? QList<Scope>{Scope::Herb, Scope::ChargeItem} : QList<Scope>{Scope::WesternLine};
    Found found;
    for (const Scope scope : scopes) {
        found = find(name, scope);
        if (found.failed() || found.item)
            break;
    }
    return found;
}
