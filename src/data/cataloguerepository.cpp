#include "data/cataloguerepository.h"

#include <QSqlQuery>

#include "data/database.h"
#include "data/deletedrowsrepository.h"
#include "data/likepattern.h"
#include "data/sqlcolumns.h"
#include "data/sqlrow.h"
#include "data/sqltransaction.h"
#include "data/tables.h"
#include "text/nameorder.h"

namespace {

const SqlColumns &columns()
{
    static const SqlColumns read(Tables::catalogue(),
                                 {QStringLiteral("ID号"), QStringLiteral("名称"), QStringLiteral("常用量"), QStringLiteral("单位"),
                                  QStringLiteral("单价"), QStringLiteral("拼音"), QStringLiteral("用法"), QStringLiteral("分类"),
                                  QStringLiteral("斗位"), QStringLiteral("查询")});
    return read;
}
const QString ByCategory = QStringLiteral("\"分类\" like ? escape '\\'");
// The program puts the names in pinyin order (NameOrder); the database gives equal names in the
// order they were stored.
const QString StoredOrder = QStringLiteral("order by rowid");

CatalogueRepository::Entry entryOf(const SqlColumns::Values &row)
{
    return {row.text(QStringLiteral("ID号")), row.text(QStringLiteral("名称")), row.text(QStringLiteral("常用量")),
            row.text(QStringLiteral("单位")), row.text(QStringLiteral("单价")), row.text(QStringLiteral("拼音")),
            row.text(QStringLiteral("用法")), row.text(QStringLiteral("分类")), row.text(QStringLiteral("斗位")),
            row.text(QStringLiteral("查询"))};
}

SqlRow rowOf(const CatalogueRepository::Entry &entry)
{
    SqlRow row(Tables::catalogue());
    row.set(QStringLiteral("ID号"), entry.key)
        .set(QStringLiteral("名称"), entry.name)
        .set(QStringLiteral("常用量"), entry.usualQuantity)
        .set(QStringLiteral("单位"), entry.unit)
        .set(QStringLiteral("单价"), entry.price)
        .set(QStringLiteral("拼音"), entry.initials)
        .set(QStringLiteral("用法"), entry.usage)
        .set(QStringLiteral("分类"), entry.category)
        .set(QStringLiteral("斗位"), entry.drawer)
        .set(QStringLiteral("查询"), entry.searchKey);
    return row;
}

// The database layer words every failed write as a failed save; deleting says what it did.
WriteResult failedTo(const WriteResult &result, const QString &action)
{
    if (result.ok)
        return result;
    const QString saving = QStringLiteral("保存失败");
    QString message = result.message;
    if (message.startsWith(saving))
        message.replace(0, saving.size(), action);
    return WriteResult::failure(message, result.detail);
}

} // namespace

CatalogueRepository::CatalogueRepository(Database &db)
    : m_db(db)
    , m_keys(db)
    , m_deleted(db)
{
}

CatalogueRepository::~CatalogueRepository() = default;

CatalogueRepository::Listing &CatalogueRepository::listingOf(const QString &categoryPrefix)
{
    auto found = m_listings.find(categoryPrefix);
    if (found == m_listings.end()) {
        Listing listing;
        listing.cache = std::make_unique<RowCache>(
            m_db, columns().cacheSelect(QStringLiteral("名称"), QStringLiteral("查询"), QStringLiteral("where %1 %2").arg(ByCategory, StoredOrder)),
            QVariantList{startsWithPattern(categoryPrefix)}, RowCache::byName());
        found = m_listings.emplace(categoryPrefix, std::move(listing)).first;
    }
    return found->second;
}

void CatalogueRepository::preload(const QString &categoryPrefix)
{
    listingOf(categoryPrefix).cache->preload();
}

QList<CatalogueRepository::Entry> CatalogueRepository::find(const QString &categoryPrefix, const QString &typed)
{
    Listing &listing = listingOf(categoryPrefix);
    RowCache &cache = *listing.cache;
    // One look at the change stamp per keystroke: the rows found and the rows derived below
    // come from the same load.
    QList<const RowCache::Row *> rows;
    if (typed.isEmpty())
        cache.rows();
    else
        rows = cache.find(typed);
    const QList<RowCache::Row> &all = cache.loadedRows();
    if (listing.generation != cache.generation()) {
        listing.entries.clear();
        listing.entries.reserve(all.size());
        for (const RowCache::Row &row : all)
            listing.entries.append(entryOf(columns().of(row.columns)));
        listing.generation = cache.generation();
    }
    if (typed.isEmpty())
        return listing.entries;
    QList<Entry> found;
    found.reserve(rows.size());
    for (const RowCache::Row *row : rows)
        found.append(listing.entries.at(row - all.constData()));
    return found;
}

std::optional<QList<CatalogueRepository::Entry>> CatalogueRepository::list(const QString &categoryPrefix)
{
    QSqlQuery query = m_db.select(columns().select(QStringLiteral("where %1 %2").arg(ByCategory, StoredOrder)),
                                  {startsWithPattern(categoryPrefix)});
    if (!query.isActive())
        return std::nullopt;
    QList<Entry> entries;
    while (query.next())
        entries.append(entryOf(columns().of(query)));
    NameOrder::sort(entries, [](const Entry &entry) { return entry.name; });
    return entries;
}

std::optional<CatalogueRepository::Entry> CatalogueRepository::byKey(const QString &key)
{
    QSqlQuery query = m_db.select(columns().select(QStringLiteral("where \"ID号\" = ?")), {key});
    if (!query.next())
        return std::nullopt;
    return entryOf(columns().of(query));
}

QString CatalogueRepository::readError() const
{
    return m_db.readError();
}

QString CatalogueRepository::fieldCaption(const QString &column)
{
    if (column == QStringLiteral("用法"))
        return QStringLiteral("用法用量");
    // The search key is made of the name and its initials; the user can only shorten those.
    if (column == QStringLiteral("查询"))
        return QStringLiteral("名称和拼音");
    return column;
}

WriteResult CatalogueRepository::checkWidths(const Entry &entry)
{
    return rowOf(entry).checkWidths(&CatalogueRepository::fieldCaption);
}

WriteResult CatalogueRepository::add(Entry &entry, const QDateTime &now)
{
    const WriteResult widths = checkWidths(entry);
    if (!widths.ok)
        return widths;
    SqlTransaction guard(m_db);
    if (!guard.isActive())
        return guard.begun();
    // Taken inside the transaction, so no other computer can store the same key meanwhile.
    Entry stored = entry;
    stored.key = m_keys.next(Tables::catalogue().name(), QStringLiteral("ID号"), QString(), now);
    const WriteResult inserted = m_db.insert(rowOf(stored));
    if (!inserted.ok)
        return inserted;
    const WriteResult committed = guard.commit();
    if (committed.ok)
        entry.key = stored.key;
    return committed;
}

WriteResult CatalogueRepository::update(const Entry &entry)
{
    const WriteResult widths = checkWidths(entry);
    if (!widths.ok)
        return widths;
    SqlTransaction guard(m_db);
    if (!guard.isActive())
        return guard.begun();
    const SqlRow row = rowOf(entry);
    const WriteResult updated = m_db.update(row, QStringLiteral("\"ID号\" = ?"), {entry.key});
    if (!updated.ok)
        return updated;
    if (m_db.rowsAffected() == 0) {
        const WriteResult inserted = m_db.insert(row);
        if (!inserted.ok)
            return inserted;
    }
    return guard.commit();
}

WriteResult CatalogueRepository::remove(const QString &key, const QDateTime &now)
{
    // Kept for a while with the time, so that a deletion made by mistake can be undone.
    return failedTo(m_deleted.keepCatalogueEntry(key, now,
                                                 [&] { return m_db.exec(QStringLiteral("delete from \"商品\" where \"ID号\" = ?"), {key}); }),
                    QStringLiteral("删除失败"));
}

WriteResult CatalogueRepository::clear(const QString &categoryPrefix)
{
    return failedTo(m_db.exec(QStringLiteral("delete from \"商品\" where %1").arg(ByCategory), {startsWithPattern(categoryPrefix)}),
                    QStringLiteral("清空失败"));
}

std::optional<QString> CatalogueRepository::importStamp(const QDateTime &now)
{
    QDateTime second = now;
    second.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    for (;;) {
        const QString stamp = TimestampKeyGenerator::stamp(second);
        const std::optional<QVariantList> used = m_db.firstColumn(
            QStringLiteral("select count(*) from \"商品\" where length(\"ID号\") > 14 and substr(\"ID号\", 1, 14) = ?"), {stamp});
        if (!used || used->isEmpty())
            return std::nullopt;
        if (used->first().toInt() == 0)
            return stamp;
        second = second.addSecs(1);
    }
}

CatalogueRepository::ImportResult CatalogueRepository::import(const QList<Entry> &entries, const QDateTime &now,
                                                              const Progress &progress)
{
    ImportResult outcome;
    SqlTransaction guard(m_db);
    if (!guard.isActive()) {
        outcome.result = failedTo(guard.begun(), QStringLiteral("导入失败"));
        return outcome;
    }
    const std::optional<QString> readStamp = importStamp(now);
    if (!readStamp) {
        outcome.result = failedTo(WriteResult::failure(QStringLiteral("保存失败：") + m_db.readError()), QStringLiteral("导入失败"));
        return outcome;
    }
    const QString stamp = *readStamp;
    const int total = int(entries.size());
    for (int i = 0; i < total; ++i) {
        Entry entry = entries.at(i);
        entry.key = stamp + QString::number(1001 + i);
        WriteResult stored = checkWidths(entry);
        if (stored.ok)
            stored = m_db.insert(rowOf(entry).set(QStringLiteral("备用1"), QString()));
        if (!stored.ok) {
            outcome.result = failedTo(stored, QStringLiteral("导入失败"));
            outcome.failedIndex = i;
            return outcome;
        }
        if (progress && !progress(i + 1, total)) {
            outcome.cancelled = true;
            outcome.result = WriteResult::failure(QStringLiteral("导入已取消，没有导入任何项目。"));
            return outcome;
        }
    }
    outcome.result = failedTo(guard.commit(), QStringLiteral("导入失败"));
    return outcome;
}
