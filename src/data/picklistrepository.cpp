#include "data/picklistrepository.h"

#include "data/database.h"
#include "data/sqlcolumns.h"
#include "data/tables.h"

namespace {

const SqlColumns &columns()
{
    static const SqlColumns read(Tables::catalogue(),
                                 {QStringLiteral("常用量"), QStringLiteral("单位"), QStringLiteral("用法"), QStringLiteral("分类")});
    return read;
}

QString categoryOfRow(const RowCache::Row &row)
{
    return columns().of(row.columns).text(QStringLiteral("分类"));
}

} // namespace

PickListRepository::PickListRepository(Database &db)
    : m_cache(db,
              // Pinyin order is the program's (RowCache::byName); equal names keep the stored order.
              columns().cacheSelect(QStringLiteral("名称"), QStringLiteral("查询"), QStringLiteral("order by rowid")), {},
              RowCache::byName())
{
}

template<typename Keep>
QList<PickListRepository::Entry> PickListRepository::collect(const QString &typed, Keep keep)
{
    QList<Entry> entries;
    for (const RowCache::Row *row : m_cache.find(typed)) {
        const SqlColumns::Values read = columns().of(row->columns);
        const QString category = read.text(QStringLiteral("分类"));
        if (keep(category))
            entries.append({row->name, read.text(QStringLiteral("常用量")), read.text(QStringLiteral("单位")),
                            read.text(QStringLiteral("用法")), category});
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
                m_categories.insert(row.name, categoryOfRow(row));
        }
        m_categoriesGeneration = m_cache.generation();
    }
    return m_categories.value(storedName);
}
