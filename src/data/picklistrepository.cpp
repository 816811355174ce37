#include "data/picklistrepository.h"

#include "data/database.h"
#include "data/sqldialect.h"

PickListRepository::PickListRepository(Database &db)
    : m_cache(db,
              QStringLiteral("select rowid, \"名称\", \"查询\", \"常用量\", \"单位\", \"用法\", \"分类\" from \"商品\" "
                             "order by %1, rowid")
                  .arg(SqlDialect::caseBlindOrder(db.engine(), QStringLiteral("\"名称\""))))
{
}

template<typename Keep>
QList<PickListRepository::Entry> PickListRepository::collect(const QString &typed, Keep keep)
{
    QList<Entry> entries;
    for (const RowCache::Row *row : m_cache.find(typed)) {
        const QString &category = row->columns.at(3);
        if (keep(category))
            entries.append({row->name, row->columns.at(0), row->columns.at(1), row->columns.at(2), category});
    }
    return entries;
}

QList<PickListRepository::Entry> PickListRepository::findInCategory(const QString &category, const QString &typed)
{
    return collect(typed, [&](const QString &value) { return value.compare(category, Qt::CaseInsensitive) == 0; });
}

QList<PickListRepository::Entry> PickListRepository::findOutsideCategory(const QString &category, const QString &typed)
{
    // As "<>" in SQL: an entry without a category is neither in nor outside any.
    return collect(typed, [&](const QString &value) { return !value.isEmpty() && value.compare(category, Qt::CaseInsensitive) != 0; });
}

QList<PickListRepository::Entry> PickListRepository::categoryEndingWith(const QString &ending)
{
    return collect(QString(), [&](const QString &value) { return value.endsWith(ending, Qt::CaseInsensitive); });
}

QString PickListRepository::categoryOf(const QString &storedName)
{
    const QList<RowCache::Row> &rows = m_cache.rows();
    if (m_categoriesGeneration != m_cache.generation()) {
        m_categories.clear();
        for (const RowCache::Row &row : rows) {
            if (!m_categories.contains(row.name))
                m_categories.insert(row.name, row.columns.at(3));
        }
        m_categoriesGeneration = m_cache.generation();
    }
    return m_categories.value(storedName);
}
