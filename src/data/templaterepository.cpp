#include "data/templaterepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/sqlcolumns.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"
#include "text/pinyininitials.h"

namespace {

const SqlColumns &columns()
{
    static const SqlColumns read(Tables::templates(), {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("内容"),
                                                       QStringLiteral("拼音"), QStringLiteral("分类"), QStringLiteral("排序")});
    return read;
}

TemplateRepository::Template templateOf(const SqlColumns::Values &row)
{
    return {row.text(QStringLiteral("序号")), row.text(QStringLiteral("名称")), row.text(QStringLiteral("内容")),
            row.text(QStringLiteral("拼音")), row.text(QStringLiteral("分类")), row.text(QStringLiteral("排序"))};
}

SqlRow rowOf(const TemplateRepository::Template &entry)
{
    SqlRow row(Tables::templates());
    row.set(QStringLiteral("序号"), entry.key)
        .set(QStringLiteral("名称"), entry.name)
        .set(QStringLiteral("拼音"), entry.initials)
        .set(QStringLiteral("内容"), entry.content)
        .set(QStringLiteral("分类"), entry.kind)
        .setClipped(QStringLiteral("查询"), searchKey(entry.name, entry.initials))
        .set(QStringLiteral("排序"), entry.order);
    return row;
}

} // namespace

TemplateRepository::TemplateRepository(Database &db)
    : m_db(db)
    , m_keys(db)
{
}

TemplateRepository::~TemplateRepository() = default;

RowCache &TemplateRepository::cacheOf(const QString &kind)
{
    auto found = m_caches.find(kind);
    if (found == m_caches.end()) {
        auto cache = std::make_unique<RowCache>(
            m_db,
            columns().cacheSelect(QStringLiteral("名称"), QStringLiteral("查询"), QStringLiteral("where \"分类\" = ? order by \"排序\", rowid")),
            QVariantList{kind}, RowCache::byNameWithin(columns().names().indexOf(QStringLiteral("排序"))));
        found = m_caches.emplace(kind, std::move(cache)).first;
    }
    return *found->second;
}

QList<TemplateRepository::Template> TemplateRepository::list(const QString &kind)
{
    return find(kind, QString());
}

QList<TemplateRepository::Template> TemplateRepository::find(const QString &kind, const QString &typed)
{
    QList<Template> found;
    for (const RowCache::Row *row : cacheOf(kind).find(typed))
        found.append(templateOf(columns().of(row->columns)));
    return found;
}

std::optional<TemplateRepository::Template> TemplateRepository::byKey(const QString &key)
{
    QSqlQuery query = m_db.select(columns().select(QStringLiteral("where \"序号\" = ?")), {key});
    if (!query.next())
        return std::nullopt;
    return templateOf(columns().of(query));
}

int TemplateRepository::count(const QString &kind)
{
    QSqlQuery query = m_db.select(QStringLiteral("select count(*) from \"个人模板\" where \"分类\" = ?"), {kind});
    return query.next() ? query.value(0).toInt() : 0;
}

WriteResult TemplateRepository::save(const Template &entry)
{
    const SqlRow row = rowOf(entry);
    // One unit: a template another computer deletes between the check and the update would
    // otherwise be reported saved while nothing was stored.
    SqlTransaction guard(m_db);
    if (!guard.isActive())
        return guard.begun();
    QSqlQuery existing = m_db.select(QStringLiteral("select count(*) from \"个人模板\" where \"序号\" = ? and \"分类\" = ?"),
                                     {entry.key, entry.kind});
    if (!existing.next())
        return m_db.readFailure();
    const bool stored = existing.value(0).toInt() > 0;
    existing.finish();
    const WriteResult written = stored
        ? m_db.update(row, QStringLiteral("\"序号\" = ? and \"分类\" = ?"), {entry.key, entry.kind})
        : m_db.insert(row);
    if (!written.ok)
        return written;
    return guard.commit();
}

WriteResult TemplateRepository::remove(const QString &key, const QString &kind)
{
    return m_db.exec(QStringLiteral("delete from \"个人模板\" where \"序号\" = ? and \"分类\" = ?"), {key, kind});
}

WriteResult TemplateRepository::add(Template &entry)
{
    // The check and the insert are one unit, so no other computer takes the key in between.
    SqlTransaction guard(m_db);
    if (!guard.isActive())
        return guard.begun();
    QString key = entry.key;
    if (key.isEmpty() || keyInUse(key))
        key = freshKey();
    Template stored = entry;
    stored.key = key;
    const WriteResult inserted = m_db.insert(rowOf(stored));
    if (!inserted.ok)
        return inserted;
    const WriteResult committed = guard.commit();
    if (committed.ok)
        entry.key = key;
    return committed;
}

bool TemplateRepository::keyInUse(const QString &key)
{
    QSqlQuery query = m_db.select(QStringLiteral("select count(*) from \"个人模板\" where \"序号\" = ?"), {key});
    // A key that cannot be checked counts as taken: a fresh one is checked again.
    return !query.next() || query.value(0).toInt() > 0;
}

QString TemplateRepository::freshKey()
{
    return m_keys.next(QStringLiteral("个人模板"), QStringLiteral("序号"));
}
