#include "data/rowcache.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "text/nameorder.h"

namespace {

RowCache::Row rowOf(const QSqlQuery &query, int columns)
{
    RowCache::Row row;
    row.rowId = query.value(0).toLongLong();
    row.name = query.value(1).toString();
    row.searchKey = query.value(2).toString();
    for (int i = 3; i < columns; ++i)
        row.columns.append(query.value(i).toString());
    return row;
}

} // namespace

RowCache::Sorting RowCache::byName()
{
    return [](QList<Row> &rows) { NameOrder::sort(rows, [](const Row &row) { return row.name; }); };
}

RowCache::Sorting RowCache::byNameWithin(int column)
{
    return [column](QList<Row> &rows) {
        NameOrder::sortRuns(rows, [column](const Row &row) { return row.columns.value(column); }, [](const Row &row) { return row.name; });
    };
}

RowCache::RowCache(Database &db, QString sql, QVariantList values, Sorting sorting)
    : m_db(db)
    , m_sql(std::move(sql))
    , m_values(std::move(values))
    , m_sorting(std::move(sorting))
{
    // Only writes to its own table make the rows stale.
    static const QRegularExpression from(QStringLiteral(R"re(\bfrom\s+"([^"]+)"\s*(\bwhere\b)?.*?(\border\s+by\s+rowid\s*)?$)re"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = from.match(m_sql);
    m_table = match.captured(1);
    // Rows added later have higher row ids, so a list in row-id order grows at its end only.
    if (match.capturedLength(2) == 0 && match.capturedLength(3) > 0 && !m_sorting) {
        const QString head = m_sql.left(match.capturedStart(3)).trimmed();
        m_newerSql = head + QStringLiteral(" where rowid > ? ") + match.captured(3);
        m_byIdSql = head + QStringLiteral(" where rowid = ?");
    }
}

RowCache::~RowCache()
{
    if (m_preload.valid())
        m_preload.wait();
}

RowCache::Loaded RowCache::load(Database &db, const QString &sql, const QVariantList &values, const QString &table,
                                const Sorting &sorting)
{
    Loaded loaded;
    // Taken before the read: a write in between is seen as a change next time.
    loaded.changes = db.tableChanges(table);
    QSqlQuery query = db.select(sql, values);
    const int columns = query.record().count();
    while (query.next())
        loaded.rows.append(rowOf(query, columns));
    if (sorting)
        sorting(loaded.rows);
    QList<SearchIndex::Entry> entries;
    entries.reserve(loaded.rows.size());
    for (const Row &row : std::as_const(loaded.rows)) {
        loaded.positions.insert(row.rowId, entries.size());
        entries.append({row.rowId, row.name, row.searchKey});
    }
    loaded.index.assign(entries);
    loaded.ok = query.isActive();
    return loaded;
}

void RowCache::preload()
{
    if (m_preload.valid() || !m_stamp.isEmpty())
        return;
    const DatabaseLocation location = m_db.location();
    m_preload = std::async(std::launch::async, [location, sql = m_sql, values = m_values, table = m_table, sorting = m_sorting] {
        Database own(location);
        return load(own, sql, values, table, sorting);
    });
}

void RowCache::waitForPreload()
{
    if (!m_preload.valid())
        return;
    Loaded loaded = m_preload.get();
    // Another connection's stamp is comparable only through the file's counters.
    if (loaded.ok && loaded.changes.counted) {
        loaded.changes.uncertain = m_db.tableChanges(m_table).uncertain;
        adopt(std::move(loaded));
        ++m_wholeLoads;
    }
}

void RowCache::adopt(Loaded &&loaded)
{
    ++m_generation;
    m_rows = std::move(loaded.rows);
    m_positions = std::move(loaded.positions);
    m_index = std::move(loaded.index);
    m_seen = loaded.changes;
    // A failed read is no rows now, and tried again next time.
    m_stamp = loaded.ok ? loaded.changes.stamp : QString();
}

void RowCache::refresh()
{
    waitForPreload();
    const Database::TableChanges now = m_db.tableChanges(m_table);
    if (!m_stamp.isEmpty() && now.stamp == m_stamp)
        return;
    // Through the counters: what happened since the last load is known when at most one row was
    // rewritten (its id is recorded) and the rest were additions.
    const bool comparable = !m_stamp.isEmpty() && !m_newerSql.isEmpty() && now.counted && m_seen.counted
        && now.uncertain == m_seen.uncertain && now.rewrites >= m_seen.rewrites && now.writes - now.rewrites >= m_seen.writes - m_seen.rewrites;
    if (comparable) {
        const qint64 rewritten = now.rewrites - m_seen.rewrites;
        const bool added = now.writes - now.rewrites > m_seen.writes - m_seen.rewrites;
        if ((rewritten == 0 || (rewritten == 1 && rereadRow(now.lastRewritten))) && (!added || appendNewer())) {
            m_seen = now;
            m_stamp = now.stamp;
            return;
        }
    }
    adopt(load(m_db, m_sql, m_values, m_table, m_sorting));
    ++m_wholeLoads;
}

bool RowCache::rereadRow(qint64 rowId)
{
    const auto known = m_positions.constFind(rowId);
    // A row added and changed since is fetched with the additions.
    if (known == m_positions.constEnd())
        return true;
    QSqlQuery query = m_db.select(m_byIdSql, m_values + QVariantList{rowId});
    if (!query.isActive())
        return false;
    const qsizetype at = *known;
    if (query.next()) {
        const Row row = rowOf(query, query.record().count());
        const bool searchedAlike = m_rows.at(at).name == row.name && m_rows.at(at).searchKey == row.searchKey;
        m_rows[at] = row;
        if (!searchedAlike)
            rebuildIndex();
    } else if (!query.lastError().isValid()) {
        // Deleted.
        m_rows.removeAt(at);
        m_positions.clear();
        for (qsizetype i = 0; i < m_rows.size(); ++i)
            m_positions.insert(m_rows.at(i).rowId, i);
        rebuildIndex();
    } else {
        return false;
    }
    ++m_generation;
    return true;
}

void RowCache::rebuildIndex()
{
    QList<SearchIndex::Entry> entries;
    entries.reserve(m_rows.size());
    for (const Row &r : std::as_const(m_rows))
        entries.append({r.rowId, r.name, r.searchKey});
    m_index.assign(entries);
}

bool RowCache::appendNewer()
{
    const qint64 last = m_rows.isEmpty() ? 0 : m_rows.constLast().rowId;
    QSqlQuery query = m_db.select(m_newerSql, m_values + QVariantList{last});
    if (!query.isActive())
        return false;
    const int columns = query.record().count();
    QList<Row> added;
    while (query.next())
        added.append(rowOf(query, columns));
    if (query.lastError().isValid())
        return false;
    for (Row &row : added) {
        m_positions.insert(row.rowId, m_rows.size());
        m_index.append({row.rowId, row.name, row.searchKey});
        m_rows.append(std::move(row));
    }
    if (!added.isEmpty())
        ++m_generation;
    return true;
}

QString RowCache::stampOfTable()
{
    return m_db.changeStamp(m_table);
}

void RowCache::absorbOwnWrite(const QString &before, const Row &row, bool appendWhenNew)
{
    if (m_stamp.isEmpty() || m_stamp != before)
        return;
    // Where a written row belongs in a sorted list is the sorting's business: read again.
    if (m_sorting) {
        m_stamp.clear();
        return;
    }
    const auto known = m_positions.constFind(row.rowId);
    if (known != m_positions.constEnd()) {
        const bool searchedAlike = m_rows.at(*known).name == row.name && m_rows.at(*known).searchKey == row.searchKey;
        m_rows[*known] = row;
        if (!searchedAlike)
            rebuildIndex();
    } else if (appendWhenNew) {
        m_positions.insert(row.rowId, m_rows.size());
        m_rows.append(row);
        m_index.append({row.rowId, row.name, row.searchKey});
    } else {
        m_stamp.clear();
        return;
    }
    ++m_generation;
    m_seen = m_db.tableChanges(m_table);
    m_stamp = m_seen.stamp;
}

const QList<RowCache::Row> &RowCache::rows()
{
    refresh();
    return m_rows;
}

QList<const RowCache::Row *> RowCache::find(const QString &typed)
{
    refresh();
    QList<const Row *> found;
    for (const qint64 rowId : m_index.find(typed))
        found.append(&m_rows.at(m_positions.value(rowId)));
    return found;
}
